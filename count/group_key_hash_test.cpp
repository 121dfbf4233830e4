#include "count/group_key_hash.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "count/frequency_list.h"
#include "testing/code_page_guard.h"
#include "testing/reference_frequency_list.h"
#include "text/code_page.h"
#include "text/text_blocks.h"

namespace farrowdale {
namespace {

TGroupKeyHash HashInOnePiece(std::string_view bytes) {
  TByteHasher hasher;
  hasher.Append(bytes);
  return hasher.Finish();
}

// Texts long enough to be keyed in pieces, from fragments that test every piece boundary:
// letters of several alphabets in both cases, a character outside the BMP that has a case,
// every folded space, runs of spaces longer than a piece, and bytes that are no valid UTF-8.
// The first fragments are ASCII: an ASCII-only passage takes only those.
std::string RandomPassage(std::mt19937& random, bool ascii_only) {
  static const std::vector<std::string> kFragments = {"a",
                                                      "Q",
                                                      "z",
                                                      " ",
                                                      "\t",
                                                      "\r\n",
                                                      "\v",
                                                      "&",
                                                      "\xc3\x96",
                                                      "\xc3\xb6",
                                                      "\xce\xa3",
                                                      "\xcf\x83",
                                                      "\xf0\x90\x90\x80",
                                                      "\xc3",
                                                      "\xff",
                                                      "\xe2\x82"};
  const size_t fragments = ascii_only ? 8 : kFragments.size();
  std::string text;
  const size_t length = std::uniform_int_distribution<size_t>(1, 300'000)(random);
  while (text.size() < length) {
    if (random() % 20'000 == 0) text.append(random() % 140'000, ' ');
    text += kFragments[random() % fragments];
  }
  return text;
}

// The key made in pieces (a long passage, from its narrow, Unicode or kept form) or straight
// from ASCII bytes hashes as the whole key made at once, under a multi-byte and a single-byte
// code page, with every grouping; a lone surrogate too, which only a Unicode text can hold.
TEST(GroupKeyHashTest, HashesTheKeyGroupKeyMakes) {
  for (const char* code_page : {"UTF-8", "windows-1252"}) {
    const CodePageGuard guard(code_page);
    std::mt19937 random(7);
    for (int round = 0; round < 12; ++round) {
      std::string passage = RandomPassage(random, round % 4 == 1);
      if (round % 3 == 0) passage = std::string(70'000, '\n') + passage + std::string(70'000, ' ');
      for (const ELetterCase letter_case : {ELetterCase::kAsciiOnly, ELetterCase::kEveryAlphabet}) {
        for (const ESpacing spacing : {ESpacing::kExact, ESpacing::kFolded}) {
          SCOPED_TRACE(testing::Message() << code_page << " round " << round);
          const std::u16string text = ToUnicode(
              spacing == ESpacing::kFolded ? FoldedSpaces(passage) : std::string(passage));
          const TGroupKeyHash expected = HashInOnePiece(GroupKey(text, true, letter_case));
          EXPECT_EQ(GroupKeyHash(text, letter_case), expected);
          EXPECT_EQ(NarrowGroupKeyHash(passage, {letter_case, spacing}), expected);
          std::string kept;
          AppendKeptForm(text, kept);
          EXPECT_EQ(KeptGroupKeyHash(kept, letter_case), expected);
          std::u16string lone = text;
          lone.insert(random() % lone.size(), 1, round % 2 == 0 ? u'\xD83D' : u'\xDE00');
          kept.clear();
          AppendKeptForm(lone, kept);
          EXPECT_EQ(KeptGroupKeyHash(kept, letter_case),
                    HashInOnePiece(GroupKey(lone, true, letter_case)));
        }
      }
    }
  }
}

TEST(GroupKeyHashTest, AnyCutOfTheBytesHashesAlikeAndOneChangedByteDoesNot) {
  std::mt19937 random(3);
  std::string bytes(100'003, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  const TGroupKeyHash whole = HashInOnePiece(bytes);
  for (int round = 0; round < 20; ++round) {
    TByteHasher pieces;
    for (size_t done = 0; done < bytes.size();) {
      const size_t size = random() % 13;
      pieces.Append(std::string_view(bytes).substr(done, size));
      done += size;
    }
    EXPECT_EQ(pieces.Finish(), whole);
    std::string changed = bytes;
    changed[random() % changed.size()] ^= static_cast<char>(1 << (random() % 8));
    EXPECT_NE(HashInOnePiece(changed), whole);
  }
  // A zero byte more is a different key, though it adds no bits to the last word.
  EXPECT_NE(HashInOnePiece("ab"), HashInOnePiece(std::string("ab\0", 3)));
}

// Runs grouped by key hash, long texts keyed in pieces, give the groups of whole keys: for
// texts short and long that differ in letter case (A-Z or another alphabet), in blanks at
// their edges, in their last character, or that are long but blank or nearly so, read from a
// kept form or from Unicode text, with and without case folding.
TEST(GroupKeyHashTest, GroupingRunsByKeyHashEqualsGroupingByWholeKeys) {
  const auto variant = [](std::string text, int kind) {
    switch (kind) {
      case 0:
        return text;
      case 1:
        for (char& c : text) c = static_cast<char>(SwapCase(static_cast<unsigned char>(c)));
        return text;
      case 2:
        for (size_t at = text.find("\xc3\xb6"); at != std::string::npos;
             at = text.find("\xc3\xb6", at))
          text[at + 1] = '\x96';
        return text;
      case 3:
        return " \t" + text + "\r\n";
      default:
        text.back() = text.back() == 'z' ? 'a' : 'z';
        return text;
    }
  };
  for (const char* code_page : {"UTF-8", "windows-1252"}) {
    const CodePageGuard guard(code_page);
    std::mt19937 random(11);
    for (int round = 0; round < 4; ++round) {
      std::vector<std::string> bases = {RandomPassage(random, round % 2 == 1), "Word \xc3\xb6",
                                        std::string(70'000, ' ') + "Word \xc3\xb6",
                                        std::string(70'000, '\n')};
      bases.push_back(bases[0].substr(0, 1000));
      std::vector<std::u16string> texts;
      std::vector<std::string> kept;
      for (const std::string& base : bases) {
        for (int kind = 0; kind < 5; ++kind) {
          texts.push_back(ToUnicode(variant(base, kind)));
          AppendKeptForm(texts.back(), kept.emplace_back());
        }
      }
      std::vector<TPassageRun> runs;
      for (int i = 0; i < 40; ++i) {
        runs.push_back({static_cast<uint32_t>(random() % texts.size()),
                        static_cast<int32_t>(1 + random() % 3)});
      }
      const TTextOf text_of = [&](uint32_t id, std::u16string&) -> std::u16string_view {
        return texts[id];
      };
      const TTextOf decoded_text_of = [&](uint32_t id, std::u16string& scratch) {
        AppendFromKeptForm(kept[id], scratch);
        return std::u16string_view(scratch);
      };
      const TKeptFormOf form_of = [&](uint32_t id) { return std::string_view(kept[id]); };
      for (const bool fold_case : {false, true}) {
        for (const ELetterCase letter_case :
             {ELetterCase::kAsciiOnly, ELetterCase::kEveryAlphabet}) {
          SCOPED_TRACE(testing::Message()
                       << code_page << " round " << round << " fold " << fold_case
                       << " letter case " << static_cast<int>(letter_case));
          const std::vector<TRunGroup> expected =
              ReferenceGroupRunsOfTexts(runs, texts, fold_case, letter_case);
          const auto same = [&](const std::vector<TRunGroup>& got) {
            ASSERT_EQ(got.size(), expected.size());
            for (size_t i = 0; i < got.size(); ++i) {
              EXPECT_EQ(got[i].Run, expected[i].Run) << "group " << i;
              EXPECT_EQ(got[i].Entries, expected[i].Entries) << "group " << i;
            }
          };
          same(GroupRunsOfTexts(runs, text_of, fold_case, letter_case));
          same(GroupRunsOfTexts(runs, decoded_text_of, fold_case, letter_case, form_of));
          // The comparison that settles equal hashes, on keys that differ as well.
          for (int pair = 0; pair < 10; ++pair) {
            const size_t a = random() % texts.size();
            const size_t b = random() % texts.size();
            TGroupKeyReader from_kept(TKeptForm{kept[a]}, fold_case, letter_case);
            TGroupKeyReader from_text(texts[b], fold_case, letter_case);
            EXPECT_EQ(
                SameKeyPieces([&] { return from_kept.Next(); }, [&] { return from_text.Next(); }),
                GroupKey(texts[a], fold_case, letter_case) ==
                    GroupKey(texts[b], fold_case, letter_case))
                << a << " against " << b;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace farrowdale
