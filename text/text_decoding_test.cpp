#include "text/text_decoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/code_page_guard.h"
#include "text/line_splitter.h"
#include "text/unicode_string_list.h"

namespace farrowdale {
namespace {

using Lines = std::vector<std::u16string>;

Lines LinesInChunks(std::string_view bytes, size_t chunk_bytes,
                    TextReadWarnings* warnings = nullptr) {
  Lines lines;
  LineSplitter splitter(&lines);
  const TextReadWarnings found = DecodeTextChunks(
      [&](const ChunkFeed& feed) {
        for (size_t start = 0; start < bytes.size(); start += chunk_bytes) {
          feed(bytes.substr(start, chunk_bytes));
        }
      },
      [&splitter](std::u16string_view piece) { return splitter.Feed(piece); },
      [&] {
        lines.clear();
        splitter = LineSplitter(&lines);
      });
  splitter.Finish();
  if (warnings != nullptr) *warnings = found;
  return lines;
}

Lines LinesOfWhole(std::string_view bytes) {
  TUnicodeStringList list;
  list.AssignText(DecodeTextFileBytes(bytes));
  Lines lines;
  for (int i = 0; i < list.EntryCount(); ++i) lines.push_back(list.EntryAt(i));
  return lines;
}

// Cutting the bytes into chunks, wherever the cuts fall, must give the lines of the whole.
TEST(TextDecodingTest, ChunksGiveTheLinesOfTheWhole) {
  const std::string inputs[] = {
      "\xEF\xBB\xBF"
      "a\xF0\x9F\x98\x80\r\n\xC3\xA9\xE2\x82\xAC\r\r\n\n\xF0\x9F\x98\x80\x80"
      "\xE0\x80\xC3 \xED\xA0\x80x\xF4\x8F\xBF\xBF\xF0\x9F\x98",
      std::string("\xFF\xFE"
                  "a\0\r\0\n\0\x3D\xD8\x00\xDE\r\0\r\0\n\0b\0z",
                  21),
      std::string("\xFE\xFF\0a\0\r\0\n\xD8\x3D\xDE\x00\0\n\0\0\0q", 18),
      "plain\r\nlines\n\rwith \x80\x81\xFF bytes\r",
      std::string("one\r\ntwo\r\nth\0ree\r\nfour", 22),
  };
  for (const char* code_page : {"windows-1252", "UTF-8", "windows-1251", "Shift_JIS"}) {
    CodePageGuard guard(code_page);
    for (const std::string& input : inputs) {
      const Lines whole = LinesOfWhole(input);
      for (size_t chunk = 1; chunk <= 9; ++chunk) {
        EXPECT_EQ(LinesInChunks(input, chunk), whole) << code_page << " chunk " << chunk;
      }
    }
  }
  CodePageGuard guard("UTF-8");
  EXPECT_EQ(LinesOfWhole(inputs[0]),
            (Lines{u"a\U0001F600", u"\u00E9\u20AC", u"", u"",
                   u"\U0001F600\uFFFD\uFFFD\uFFFD\uFFFD \uFFFD\uFFFD\uFFFDx\U0010FFFF\uFFFD"}));
  EXPECT_EQ(LinesOfWhole(inputs[1]), (Lines{u"a", u"\U0001F600", u"", u"b"}));
  EXPECT_EQ(LinesOfWhole(inputs[2]), (Lines{u"a", u"\U0001F600"}));
  // Not UTF-8 without a mark: windows-1252, its holes the C1 controls.
  EXPECT_EQ(LinesOfWhole(inputs[3]),
            (Lines{u"plain", u"lines", u"", u"with \u20AC\u0081\u00FF bytes"}));
}

TEST(TextDecodingTest, LineSplitterJoinsPiecesAndHonoursACrLfBetweenThem) {
  Lines lines;
  LineSplitter splitter(&lines);
  EXPECT_TRUE(splitter.Feed(u"ab"));
  EXPECT_TRUE(splitter.Feed(u"c\r"));
  EXPECT_TRUE(splitter.Feed(u""));
  EXPECT_TRUE(splitter.Feed(u"\nd\r"));
  EXPECT_TRUE(splitter.Feed(u"\r"));
  EXPECT_TRUE(splitter.Feed(u"e"));
  EXPECT_FALSE(splitter.Feed(std::u16string(u"f\0g", 3)));
  EXPECT_FALSE(splitter.Feed(u"h\n"));
  splitter.Finish();
  EXPECT_EQ(lines, (Lines{u"abc", u"d", u"", u"ef"}));
}

}  // namespace
}  // namespace farrowdale
