#include "count/pooled_count.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "count/distinct_passages.h"
#include "testing/code_page_guard.h"
#include "testing/reference_frequency_list.h"
#include "text/code_page.h"
#include "text/collation.h"

namespace farrowdale {
namespace {

// One tag's one-file-mode record for a file with these narrow passages, counted as the run
// counts them.
TStatInfo FileRecord(const std::vector<std::string>& passages,
                     ELetterCase letter_case = ELetterCase::kAsciiOnly) {
  const std::vector<std::string_view> views(passages.begin(), passages.end());
  TPassageTally tally = TallyPassages(views);
  bool texts_tie = false;
  std::vector<TPassageRun> runs = SortLikeTheList(tally, texts_tie);
  TStatInfo info;
  info.Freq = static_cast<int32_t>(passages.size());
  info.Distinct = GroupPassageRuns(runs, tally, texts_tie, letter_case);
  info.Count = static_cast<int32_t>(info.Distinct.size());
  info.Passages = {tally.Texts(), std::move(runs)};
  return info;
}

// Every tag's totals, read as the combined report reads them.
std::vector<TTagTotals> Pool(TStatArrayArray results,
                             ELetterCase letter_case = ELetterCase::kAsciiOnly) {
  TPooledPassages pooled(letter_case);
  for (TStatArray& file : results) pooled.AddFile(file);
  pooled.CountTotals();
  const TTagTotalsView& totals = pooled;
  std::vector<TTagTotals> each;
  for (size_t tag = 0; tag < totals.tag_count(); ++tag) each.push_back(totals.Totals(tag));
  return each;
}

TEST(PooledCountTest, SumsFrequenciesAndCountsWholePassagesOverAllFiles) {
  CodePageGuard code_page("windows-1252");
  const std::vector<TTagTotals> totals =
      Pool({{FileRecord({"x", "x", "first line\r\nsecond line"}), FileRecord({})},
            {FileRecord({"X", "x", "x", "first line\r\nsecond line"}), FileRecord({})},
            {FileRecord({}), FileRecord({"k=v"})}});
  ASSERT_EQ(totals.size(), 2u);
  EXPECT_EQ(totals[0].Freq, 7);
  ASSERT_EQ(totals[0].Distinct.size(), 2u);
  EXPECT_EQ(totals[0].Distinct[0].Count, 5);
  EXPECT_EQ(totals[0].Distinct[1].Text, u"first line\r\nsecond line");
  EXPECT_EQ(totals[0].Distinct[1].Count, 2);
  EXPECT_EQ(totals[1].Freq, 1);
  ASSERT_EQ(totals[1].Distinct.size(), 1u);
  EXPECT_EQ(totals[1].Distinct[0].Text, u"k=v");

  EXPECT_TRUE(Pool({}).empty());
  EXPECT_THROW(Pool({{FileRecord({})}, {}}), std::invalid_argument);
}

// The totals are counted once, between the last file and the first reading.
TEST(PooledCountTest, TotalsAreReadOnlyAfterTheyAreCounted) {
  CodePageGuard code_page("windows-1252");
  TPooledPassages pooled;
  TStatArray file = {FileRecord({"x"})};
  pooled.AddFile(file);
  EXPECT_THROW(pooled.Totals(0), std::logic_error);
  pooled.CountTotals();
  EXPECT_EQ(pooled.Totals(0).Freq, 1);
  TStatArray late = {FileRecord({"y"})};
  EXPECT_THROW(pooled.AddFile(late), std::logic_error);
}

// The recount as it was done before passages were pooled: every file's passages kept whole
// as the list's quicksort of every occurrence left them, all files' lists joined with the
// empty entries between them, and that whole list counted.
TFrequencyList CountedOccurrenceByOccurrence(const std::vector<std::vector<std::string>>& files) {
  TUnicodeStringList pooled;
  for (const std::vector<std::string>& passages : files) {
    TUnicodeStringList file;
    for (const std::string& passage : passages) file.AddEntry(ToUnicode(passage));
    file.SortByText();
    for (int i = 0; i < file.EntryCount(); ++i) pooled.AddEntry(file.EntryAt(i));
    if (!passages.empty()) pooled.AddEntry(u"");
    pooled.AddEntry(u"");
  }
  return CountDistinctTexts(pooled, true);
}

// Whether two different texts among the passages and the empty entry tie under the collation.
bool HaveTies(const std::vector<std::vector<std::string>>& files) {
  std::set<std::u16string> texts = {u""};
  for (const std::vector<std::string>& passages : files) {
    for (const std::string& passage : passages) texts.insert(ToUnicode(passage));
  }
  for (auto a = texts.begin(); a != texts.end(); ++a) {
    for (auto b = std::next(a); b != texts.end(); ++b) {
      if (CompareText(*a, *b, false) == 0) return true;
    }
  }
  return false;
}

// Many small corpora built to tie under the collation: letter case, accents, a no-break
// space or an en space (which the code page shows as a plain space), leading and trailing
// spaces or control characters (which grouping trims, so that different texts group alike;
// the collation ignores the control characters, so those texts also tie), a zero-width
// space (which ties a passage with another, or with the empty entries), a broken byte; and
// files without passages. The pooled recount must give the old one's frequency list byte for
// byte: texts, counts and tie order.
TEST(PooledCountTest, RecountIsThatOfPoolingEveryOccurrence) {
  const std::vector<std::string> pieces = {
      "a",           "A",        "b",        "B",    "a b",          " ",
      "\xc3\xa9",    "\xc3\x89", "\xc2\xa0", "\x01", "\xe2\x80\x8b", "\xff",
      "\xe2\x80\x82"};
  std::mt19937 rng(17);
  int rounds_with_ties = 0;
  for (const char* code_page : {"UTF-8", "windows-1252"}) {
    CodePageGuard guard(code_page);
    for (int round = 0; round < 1500; ++round) {
      // Fewer pieces make ties rarer, so that both ways of sorting are taken.
      const size_t alphabet = 2 + rng() % (pieces.size() - 1);
      std::vector<std::vector<std::string>> files(1 + rng() % 6);
      for (std::vector<std::string>& passages : files) {
        passages.resize(rng() % 4 == 0 ? 0 : rng() % 12);
        for (std::string& passage : passages) {
          for (size_t n = 1 + rng() % 3; n > 0; --n) passage += pieces[rng() % alphabet];
        }
      }
      TStatArrayArray results;
      for (const std::vector<std::string>& passages : files) {
        results.push_back({FileRecord(passages)});
      }
      if (HaveTies(files)) ++rounds_with_ties;
      const TFrequencyList want = CountedOccurrenceByOccurrence(files);
      const TFrequencyList got = Pool(std::move(results)).at(0).Distinct;
      ASSERT_EQ(got.size(), want.size()) << code_page << ", round " << round;
      for (size_t i = 0; i < want.size(); ++i) {
        ASSERT_EQ(got[i].Text, want[i].Text) << code_page << ", round " << round << ", " << i;
        ASSERT_EQ(got[i].Count, want[i].Count) << code_page << ", round " << round << ", " << i;
      }
    }
  }
  // Both ways of sorting are taken often.
  EXPECT_GT(rounds_with_ties, 500);
  EXPECT_LT(rounds_with_ties, 2500);
}

std::vector<TFrequencyEntry> Entries(const TFrequencyList& list) {
  return std::vector<TFrequencyEntry>(list.begin(), list.end());
}

// The compact lists, of one file and pooled over files, against the plain count of every
// occurrence in a map: passages of letters in either case (A-Z, accents, Greek with its final
// sigma), a character beyond 16 bits, inner spaces and a tab (folded or not), and spaces or a
// control character at either end (trimmed, so that a pooled group's shown text is kept anew);
// both ways of folding letter case, both code pages. Texts, counts and tie order must agree.
TEST(PooledCountTest, CompactListsAreThoseOfThePlainCount) {
  const std::vector<std::string> pieces = {
      "a",    "A",  "\xc3\xa9", "\xc3\x89", "\xcf\x83", "\xce\xa3", "\xcf\x82", "\xf0\x9f\x98\x80",
      "b  b", "\t", " ",        "\x01",     "x"};
  std::mt19937 rng(29);
  for (const char* code_page : {"UTF-8", "windows-1252"}) {
    CodePageGuard guard(code_page);
    for (const ELetterCase letter_case : {ELetterCase::kAsciiOnly, ELetterCase::kEveryAlphabet}) {
      for (int round = 0; round < 300; ++round) {
        const bool fold_spaces = round % 2 == 1;
        const size_t alphabet = 3 + rng() % (pieces.size() - 2);
        std::vector<std::vector<std::string>> files(1 + rng() % 5);
        TStatArrayArray results;
        std::vector<std::u16string> pooled_list;
        for (std::vector<std::string>& passages : files) {
          passages.resize(rng() % 5 == 0 ? 0 : rng() % 16);
          std::vector<std::u16string> texts;
          for (std::string& passage : passages) {
            for (size_t n = 1 + rng() % 3; n > 0; --n) passage += pieces[rng() % alphabet];
            if (fold_spaces) passage = FoldedSpaces(passage);
            texts.push_back(ToUnicode(passage));
          }
          const TStatInfo record = FileRecord(passages, letter_case);
          ASSERT_EQ(Entries(record.Distinct), ReferenceFrequencyList(texts, letter_case))
              << code_page << ", round " << round;
          results.push_back({record});
          SortLikeTheStringList(texts);
          pooled_list.insert(pooled_list.end(), texts.begin(), texts.end());
          if (!passages.empty()) pooled_list.emplace_back();
          pooled_list.emplace_back();
        }
        ASSERT_EQ(Entries(Pool(std::move(results), letter_case).at(0).Distinct),
                  ReferenceFrequencyList(pooled_list, letter_case))
            << code_page << ", round " << round;
      }
    }
  }
}

}  // namespace
}  // namespace farrowdale
