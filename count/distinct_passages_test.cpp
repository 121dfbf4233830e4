#include "count/distinct_passages.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "testing/code_page_guard.h"
#include "text/code_page.h"
#include "text/collation.h"
#include "text/unicode_string_list.h"

namespace farrowdale {
namespace {

// Every occurrence, sorted by the list's own quicksort with letter case ignored.
std::vector<std::u16string> QuicksortedOccurrences(const std::vector<std::string>& passages) {
  TUnicodeStringList list;
  for (const std::string& passage : passages) list.AddEntry(ToUnicode(passage));
  list.SortByText();
  std::vector<std::u16string> sorted;
  for (int i = 0; i < list.EntryCount(); ++i) sorted.push_back(list.EntryAt(i));
  return sorted;
}

// Random multisets of passages, some with letters in both cases, accents and a no-break
// space (which ties with nothing but is often taken for a space), some with a control
// character, a zero-width space or U+FFFD from a broken byte (which the collation may
// ignore, so that different texts tie), some sharing a long beginning (so that the sort's
// first eight weights do not tell them apart): the runs, expanded, are the quicksort of every
// occurrence, tie order included; and the sequence of every occurrence is asked for only
// when the quicksort puts two different texts that compare equal next to each other.
TEST(DistinctPassagesTest, SortedRunsAreTheQuicksortOfEveryOccurrence) {
  SetSystemCodePage("UTF-8");
  const std::vector<std::string> pieces = {
      "a", "interview-", "A",    "b",    "\xc3\xa9", "\xc3\x89", "e",
      " ", "\xc2\xa0",   "\x01", "\xff", "z",        "ab",       "\xe2\x80\x8b"};
  std::mt19937 rng(3);
  int without_ties = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::string> passages(1 + rng() % 30);
    const size_t alphabet = 3 + rng() % (pieces.size() - 2);
    for (std::string& passage : passages) {
      for (size_t n = 1 + rng() % 3; n > 0; --n) passage += pieces[rng() % alphabet];
    }
    const std::vector<std::string_view> views(passages.begin(), passages.end());
    TPassageTally tally = TallyPassages(views);
    const std::vector<std::u16string> texts = tally.Texts();
    ASSERT_EQ(tally.sequence.size(), passages.size());
    for (size_t i = 0; i < passages.size(); ++i) {
      ASSERT_EQ(texts[tally.sequence[i]], ToUnicode(passages[i]));
    }

    const std::vector<std::u16string> want = QuicksortedOccurrences(passages);
    bool want_tie = false;
    for (size_t i = 1; i < want.size(); ++i) {
      want_tie |= want[i - 1] != want[i] && CompareText(want[i - 1], want[i], false) == 0;
    }
    bool asked = false;
    const std::vector<TPassageRun> runs = SortLikeTheList(tally, asked);
    EXPECT_EQ(asked, want_tie) << "round " << round;
    if (!asked) ++without_ties;
    std::vector<std::u16string> expanded;
    for (const TPassageRun& run : runs) {
      ASSERT_GT(run.Entries, 0);
      expanded.insert(expanded.end(), run.Entries, texts[run.Id]);
    }
    ASSERT_EQ(expanded, want) << "round " << round;
  }
  EXPECT_GT(without_ties, 500);
}

// The frequency list made from the sorted runs is the one the list makes from every
// occurrence, under code pages where texts that do not tie skip the grouping keys (UTF-8,
// windows-1252) and one where they are made (windows-1251), with case variants, accents,
// bytes that are not UTF-8 and spaces that trim away.
TEST(DistinctPassagesTest, GroupedRunsGiveTheFrequencyListOfEveryOccurrence) {
  const std::vector<std::string> pieces = {"a",    "A",    "b", "\xe9", "\xc3\xa9", "\xc3\x89",
                                           "\xff", "\xfe", "?", " ",    "\xc2\xa0", "Ab"};
  for (const char* code_page : {"UTF-8", "windows-1252", "windows-1251"}) {
    const CodePageGuard guard(code_page);
    std::mt19937 rng(5);
    for (int round = 0; round < 1500; ++round) {
      std::vector<std::string> passages(1 + rng() % 25);
      const size_t alphabet = 2 + rng() % (pieces.size() - 1);
      for (std::string& passage : passages) {
        for (size_t n = 1 + rng() % 3; n > 0; --n) passage += pieces[rng() % alphabet];
        if (round % 3 == 0 && rng() % 5 == 0) passage = " " + passage;
      }
      const std::vector<std::string_view> views(passages.begin(), passages.end());
      TPassageTally tally = TallyPassages(views);
      bool texts_tie = false;
      const std::vector<TPassageRun> runs = SortLikeTheList(tally, texts_tie);
      TUnicodeStringList every;
      for (const std::string& passage : passages) every.AddEntry(ToUnicode(passage));
      const TFrequencyList want = CountDistinctTexts(every, /*fold_case=*/true);
      const TFrequencyList got = GroupPassageRuns(runs, tally, texts_tie);
      ASSERT_EQ(got.size(), want.size()) << code_page << " round " << round;
      for (size_t i = 0; i < want.size(); ++i) {
        ASSERT_EQ(got[i].Text, want[i].Text) << code_page << " round " << round << " entry " << i;
        ASSERT_EQ(got[i].Count, want[i].Count) << code_page << " round " << round << " entry " << i;
      }
    }
  }
}

}  // namespace
}  // namespace farrowdale
