#include "text/text_blocks.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "testing/code_page_guard.h"
#include "text/code_page.h"

namespace farrowdale {
namespace {

// Narrow texts from fragments that put every kind of character on the cuts of a long text's
// pieces: ASCII, two-, three- and four-byte UTF-8 sequences, bytes that are no valid UTF-8
// (cut sequences, stray continuation bytes) and Shift_JIS double-byte characters. Lengths run
// from a few bytes to well past the length where a text is kept piece by piece.
std::string RandomNarrow(std::mt19937& random) {
  static const std::vector<std::string> kFragments = {
      "a",        "Z",        " ",    "\r\n", "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80",
      "\xe2\x82", "\xf0\x9f", "\x80", "\xff", "\x82\xa0", "\x93\xfa"};
  const size_t length = random() % 3 == 0 ? random() % 40 : 600'000 + random() % 700'000;
  std::string text;
  while (text.size() < length) text += kFragments[random() % kFragments.size()];
  return text;
}

std::string KeptFormOf(std::u16string_view text) {
  std::string kept;
  AppendKeptForm(text, kept);
  return kept;
}

// A text kept from its narrow form, whole or piece by piece, is the one kept from its decoded
// Unicode text, under UTF-8, a single-byte and a double-byte code page; texts kept earlier
// stay as they were.
TEST(TextBlocksTest, NarrowTextIsKeptAsItsUnicodeText) {
  for (const char* code_page : {"UTF-8", "windows-1252", "Shift_JIS"}) {
    const CodePageGuard guard(code_page);
    std::mt19937 random(11);
    TTextBlocks blocks;
    std::vector<std::pair<uint32_t, std::u16string>> kept;
    for (int round = 0; round < 8; ++round) {
      const std::string narrow = RandomNarrow(random);
      std::u16string text = ToUnicode(narrow);
      const uint32_t place = blocks.KeepNarrow(narrow);
      ASSERT_EQ(blocks.FormAt(place), KeptFormOf(text)) << code_page << " round " << round;
      kept.emplace_back(place, std::move(text));
    }
    for (const auto& [place, text] : kept) EXPECT_EQ(blocks.TextAt(place), text) << code_page;
  }
}

// A long Unicode text with surrogate pairs and lone surrogates at every distance from the
// pieces' cuts comes back unchanged, and keeps the kept form of the whole text.
// Short texts of well-formed UTF-8, now and then with a sequence that is not (an encoded
// surrogate, an overlong form, a value beyond U+10FFFF, a sequence cut short, a stray byte):
// the narrow form kept as it is where it may be must be the form kept from the Unicode text.
TEST(TextBlocksTest, NarrowTextKeptAsItIsIsKeptAsItsUnicodeText) {
  const std::vector<std::string> well_formed = {"a",
                                                " ",
                                                "\r\n",
                                                "\xc3\xa9",
                                                "\xe2\x82\xac",
                                                "\xef\xbf\xbf",
                                                "\xf0\x9f\x98\x80",
                                                "\xf4\x8f\xbf\xbf"};
  const std::vector<std::string> ill_formed = {
      "\xed\xa0\x80",     "\xed\xbf\xbf", "\xc0\xaf", "\xe0\x80\xaf",
      "\xf4\x90\x80\x80", "\xe2\x82",     "\x80",     "\xff"};
  for (const char* code_page : {"UTF-8", "windows-1252"}) {
    const CodePageGuard guard(code_page);
    std::mt19937 random(17);
    TTextBlocks blocks;
    for (int round = 0; round < 3000; ++round) {
      std::string narrow;
      for (size_t n = random() % 12; n > 0; --n) {
        narrow += random() % 40 == 0 ? ill_formed[random() % ill_formed.size()]
                                     : well_formed[random() % well_formed.size()];
      }
      ASSERT_EQ(blocks.FormAt(blocks.KeepNarrow(narrow)), KeptFormOf(ToUnicode(narrow)))
          << code_page << " round " << round;
    }
  }
}

TEST(TextBlocksTest, LongTextWithSurrogatesComesBackUnchanged) {
  std::mt19937 random(5);
  const std::vector<std::u16string> fragments = {u"a",
                                                 u"\u00e9",
                                                 u"\u20ac",
                                                 u"\U0001F600",
                                                 std::u16string(1, u'\xD800'),
                                                 std::u16string(1, u'\xDC00')};
  TTextBlocks blocks;
  for (int round = 0; round < 4; ++round) {
    std::u16string text;
    while (text.size() < 700'000) text += fragments[random() % fragments.size()];
    const uint32_t place = blocks.Keep(text);
    EXPECT_EQ(blocks.FormAt(place), KeptFormOf(text));
    EXPECT_EQ(blocks.TextAt(place), text);
  }
}

}  // namespace
}  // namespace farrowdale
