#include "text/text_position.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "testing/code_page_guard.h"
#include "text/code_page.h"

namespace farrowdale {
namespace {

// The position of offset counted the slow way: every line end before it, then the decoded
// characters between the last one and offset.
TTextPosition NaivePosition(const std::string& text, size_t offset) {
  TTextPosition position;
  size_t line_start = 0;
  for (size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
      ++position.line;
      line_start = i + 1;
    }
  }
  const std::u16string line =
      ToUnicode(std::string_view(text).substr(line_start, offset - line_start));
  for (char16_t unit : line) position.column += (unit >= 0xDC00 && unit <= 0xDFFF) ? 0 : 1;
  return position;
}

TEST(TextPositionTest, LinesEndAtCrLfAndCrLfAndColumnsCountCharacters) {
  CodePageGuard utf8("UTF-8");
  // "a\r\nb\rc\nd\u00E9x\U0001F600y": lines a / b / c / déx😀y.
  const std::string text = "a\r\nb\rc\nd\xC3\xA9x\xF0\x9F\x98\x80y";
  TTextPositionCursor cursor(text);
  EXPECT_EQ(cursor.PositionOf(0), (TTextPosition{1, 1}));
  EXPECT_EQ(cursor.PositionOf(3), (TTextPosition{2, 1}));   // b
  EXPECT_EQ(cursor.PositionOf(5), (TTextPosition{3, 1}));   // c
  EXPECT_EQ(cursor.PositionOf(10), (TTextPosition{4, 3}));  // x after d and é
  EXPECT_EQ(cursor.PositionOf(15), (TTextPosition{4, 5}));  // y after the emoji
  // Backwards, within the line and before it.
  EXPECT_EQ(cursor.PositionOf(8), (TTextPosition{4, 2}));
  EXPECT_EQ(cursor.PositionOf(3), (TTextPosition{2, 1}));
  EXPECT_EQ(cursor.PositionOf(text.size()), (TTextPosition{4, 6}));
}

TEST(TextPositionTest, AnyOrderOfOffsetsAgreesWithCountingFromTheStartInEveryKindOfCodePage) {
  // Single-byte, UTF-8 and a multi-byte code page that is decoded to count.
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"windows-1252", {"a", "\xE9", " ", "\r", "\n", "\r\n", "\xFF"}},
      {"UTF-8", {"a", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\r", "\n", "\r\n"}},
      {"GB18030", {"a", "\xC4\xE3", "\x81\x30\x81\x30", "\r", "\n", " "}},
  };
  std::mt19937 random(20261207);
  for (const auto& [code_page, pieces] : cases) {
    CodePageGuard guard(code_page);
    for (int round = 0; round < 20; ++round) {
      std::string text;
      std::vector<size_t> boundaries = {0};
      for (int i = 0; i < 60; ++i) {
        text += pieces[random() % pieces.size()];
        boundaries.push_back(text.size());
      }
      TTextPositionCursor cursor(text);
      for (int query = 0; query < 40; ++query) {
        const size_t offset = boundaries[random() % boundaries.size()];
        ASSERT_EQ(cursor.PositionOf(offset), NaivePosition(text, offset))
            << code_page << " offset " << offset;
      }
    }
  }
}

TEST(TextPositionTest, ContextTakesUpToSixtyCharactersOnEachSideWithoutCuttingOne) {
  CodePageGuard utf8("UTF-8");
  const std::string left(70, 'L');
  const std::string right(70, 'R');
  const std::string text = left + "[x]" + right;
  TPassageContext context = ContextAround(text, 70, 3);
  EXPECT_EQ(context.before, std::u16string(60, u'L'));
  EXPECT_EQ(context.after, std::u16string(60, u'R'));

  // Near the text's ends there is less; line ends stay.
  context = ContextAround("ab\r\n[x]c", 4, 3);
  EXPECT_EQ(context.before, u"ab\r\n");
  EXPECT_EQ(context.after, u"c");
  context = ContextAround("[x]", 0, 3);
  EXPECT_EQ(context.before, u"");
  EXPECT_EQ(context.after, u"");

  // Four-byte characters: counted once each, never split, no replacement character at the
  // byte window's edge.
  std::string emoji;
  for (int i = 0; i < 80; ++i) emoji += "\xF0\x9F\x98\x80";
  const std::string wide = emoji + "|" + emoji;
  context = ContextAround(wide, emoji.size(), 1, 5);
  EXPECT_EQ(context.before, u"\U0001F600\U0001F600\U0001F600\U0001F600\U0001F600");
  EXPECT_EQ(context.after, context.before);
  context = ContextAround(wide, emoji.size(), 1);
  EXPECT_EQ(context.before.size(), 120u);
  EXPECT_EQ(context.before.find(u'\uFFFD'), std::u16string::npos);
  EXPECT_EQ(context.after.size(), 120u);
  EXPECT_EQ(context.after.find(u'\uFFFD'), std::u16string::npos);
}

}  // namespace
}  // namespace farrowdale
