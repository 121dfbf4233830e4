#include "text/text_decoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/code_page_guard.h"
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

using Kind = TextReadWarning::Kind;

// What a file's bytes give, read whole and in small chunks alike.
struct Decoded {
  Lines lines;
  TextReadWarnings warnings;
};

Decoded DecodeBoth(std::string_view bytes) {
  Decoded whole;
  whole.lines = LinesInChunks(bytes, bytes.size() + 1, &whole.warnings);
  Decoded chunked;
  chunked.lines = LinesInChunks(bytes, 7, &chunked.warnings);
  EXPECT_EQ(chunked.lines, whole.lines);
  EXPECT_EQ(chunked.warnings, whole.warnings);
  return whole;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes += static_cast<char>(value);
  return bytes;
}

// A zero code unit ends UTF-16 text wherever it stands against the blocks the search takes,
// and zero bytes inside non-zero units (U+0100, U+0041 in LE) never do.
TEST(TextDecodingTest, Utf16EndsAtItsFirstZeroUnitWhereverItStands) {
  for (const bool big_endian : {false, true}) {
    for (size_t at = 0; at < 40; ++at) {
      std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
      for (size_t i = 0; i < 48; ++i) {
        const char16_t unit = i == at ? u'\0' : i % 2 ? u'\u0100' : u'A';
        bytes += static_cast<char>(big_endian ? unit >> 8 : unit & 0xFF);
        bytes += static_cast<char>(big_endian ? unit & 0xFF : unit >> 8);
      }
      TextReadWarnings warnings;
      const Lines lines = LinesInChunks(bytes, 1 << 16, &warnings);
      std::u16string expected;
      for (size_t i = 0; i < at; ++i) expected += i % 2 ? u'\u0100' : u'A';
      EXPECT_EQ(lines, expected.empty() ? Lines{} : Lines{expected}) << at << big_endian;
      EXPECT_EQ(warnings, (TextReadWarnings{{TextReadWarning::Kind::kCutAtZero, 2 + 2 * at}}))
          << at << big_endian;
    }
  }
}

TEST(TextDecodingTest, UnmarkedUtf16IsKnownByItsAlternatingZeroBytes) {
  for (const char* code_page : {"windows-1252", "UTF-8"}) {
    CodePageGuard guard(code_page);
    Decoded le = DecodeBoth(Bytes({'a', 0, 'b', 0, 0xE9, 0, '\r', 0, '\n', 0, 'c', 0, 'z'}));
    EXPECT_EQ(le.lines, (Lines{u"ab\u00E9", u"c"})) << code_page;  // odd last byte ignored
    EXPECT_EQ(le.warnings, TextReadWarnings{{Kind::kUtf16LeWithoutMark}});
    EXPECT_EQ(le.warnings[0].Message(), "no byte-order mark; read as UTF-16 LE");
    Decoded be = DecodeBoth(Bytes({0, 'a', 0, 'b', 0, 0xE9}));
    EXPECT_EQ(be.lines, Lines{u"ab\u00E9"}) << code_page;
    EXPECT_EQ(be.warnings, TextReadWarnings{{Kind::kUtf16BeWithoutMark}});
  }
  CodePageGuard guard("windows-1252");
  // Not UTF-16: a non-zero byte at an odd offset, a zero at an even one, too short.
  EXPECT_EQ(DecodeBoth(Bytes({'a', 0, 'b', 0, 'Q', 1})).lines, Lines{u"a"});
  EXPECT_EQ(DecodeBoth(Bytes({'a', 0, 0, 0, 'c', 0})).lines, Lines{u"a"});
  EXPECT_EQ(DecodeBoth(Bytes({'a', 0, 'b'})).lines, Lines{u"a"});
  // Only the first 4096 bytes decide; the rest is read as the same UTF-16.
  std::string long_le;
  for (int i = 0; i < 2048; ++i) long_le += Bytes({'x', 0});
  long_le += Bytes({0x16, 0x04});
  EXPECT_EQ(DecodeBoth(long_le).lines, Lines{std::u16string(2048, u'x') + u"\u0416"});
  std::string late_zero(4095, 'x');
  late_zero += Bytes({0, 'y', 0});
  EXPECT_EQ(DecodeBoth(late_zero).lines, Lines{std::u16string(4095, u'x')});
}

TEST(TextDecodingTest, UnmarkedTextThatIsNotUtf8IsReadAsWindows1252) {
  CodePageGuard guard("UTF-8");
  const Decoded legacy = DecodeBoth("caf\xE9\r\ncaf\xC3\xA8\r\n\x81\x8D\x8F\x90\x9D\x80");
  EXPECT_EQ(legacy.lines,
            (Lines{u"caf\u00E9", u"caf\u00C3\u00A8", u"\u0081\u008D\u008F\u0090\u009D\u20AC"}));
  EXPECT_EQ(legacy.warnings, TextReadWarnings{{Kind::kReadAsWindows1252}});
  EXPECT_EQ(legacy.warnings[0].Message(), "not valid UTF-8; read as windows-1252");

  // Judged on every byte, those after a zero byte too.
  const Decoded after_zero = DecodeBoth(std::string("caf\xC3\xA9\0caf\xE9", 10));
  EXPECT_EQ(after_zero.lines, Lines{u"caf\u00C3\u00A9"});
  EXPECT_EQ(after_zero.warnings,
            (TextReadWarnings{{Kind::kReadAsWindows1252}, {Kind::kCutAtZero, 5}}));

  // Valid UTF-8, or any UTF-8 after its mark, stays UTF-8 without a word.
  EXPECT_EQ(DecodeBoth("caf\xC3\xA9").warnings, TextReadWarnings{});
  EXPECT_EQ(DecodeBoth("\xEF\xBB\xBF"
                       "caf\xE9")
                .lines,
            Lines{u"caf\uFFFD"});
  EXPECT_EQ(DecodeBoth("\xEF\xBB\xBF"
                       "caf\xE9")
                .warnings,
            TextReadWarnings{});
  // Under a single-byte code page nothing is guessed.
  CodePageGuard cyrillic("windows-1251");
  EXPECT_EQ(DecodeBoth("\xC6").warnings, TextReadWarnings{});
}

TEST(TextDecodingTest, AZeroCharacterEndsTheTextWithItsByteOffset) {
  CodePageGuard guard("windows-1252");
  const Decoded plain = DecodeBoth(std::string("ab\r\nc\0d", 7));
  EXPECT_EQ(plain.lines, (Lines{u"ab", u"c"}));
  EXPECT_EQ(plain.warnings, (TextReadWarnings{{Kind::kCutAtZero, 5}}));
  EXPECT_EQ(plain.warnings[0].Message(),
            "text ends at a zero byte at offset 5; the rest of the file is ignored");
  // In UTF-16 a zero unit ends it; the offset counts the mark.
  EXPECT_EQ(DecodeBoth(Bytes({0xFF, 0xFE, 'a', 0, 0, 1, 0, 0, 'b', 0})).warnings,
            (TextReadWarnings{{Kind::kCutAtZero, 6}}));
  EXPECT_EQ(DecodeBoth(Bytes({0xFF, 0xFE, 'a', 0, 0, 1, 0, 0, 'b', 0})).lines, Lines{u"a\u0100"});
  std::string unmarked;
  for (int i = 0; i < 2048; ++i) unmarked += Bytes({'x', 0});
  unmarked += Bytes({0, 0, 'e', 0});
  EXPECT_EQ(DecodeBoth(unmarked).warnings,
            (TextReadWarnings{{Kind::kUtf16LeWithoutMark}, {Kind::kCutAtZero, 4096}}));
}

}  // namespace
}  // namespace farrowdale
