#include "count/group_key_hash.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "count/frequency_list.h"
#include "testing/code_page_guard.h"
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

}  // namespace
}  // namespace farrowdale
