#include "text/narrow_text_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "testing/code_page_guard.h"
#include "testing/scratch_folder.h"
#include "text/error.h"
#include "text/unicode_string_list.h"

namespace farrowdale {
namespace {

namespace fs = std::filesystem;

class NarrowTextFileTest : public testing::Test {
 protected:
  void Write(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }

  // What a run would search if it went through the list.
  std::string ThroughTheList() {
    TUnicodeStringList list;
    list.ReadTextFile(path_);
    return ToNarrow(list.JoinedText());
  }

  const testing_support::ScratchFolder scratch_{"narrow_text_file"};
  const fs::path path_ = scratch_ / "text.txt";
};

std::string Utf16Le(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

TEST_F(NarrowTextFileTest, LineEndsAndEndOfText) {
  const CodePageGuard guard("windows-1252");
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"a", "a\r\n"},
      {"a\r\nb\r\n", "a\r\nb\r\n"},
      {"a\n\rb", "a\r\n\r\nb\r\n"},
      {"a\r\r\nb\n\n", "a\r\n\r\nb\r\n\r\n"},
      {"a\nb\0c\nd", "a\r\nb\r\n"},
      {std::string("\0abc", 4), ""},
      {"\xEF\xBB\xBF\xC3\xA9\r", "\xE9\r\n"},
  };
  for (const auto& [bytes, expected] : cases) {
    Write(bytes);
    EXPECT_EQ(ReadNarrowJoinedText(path_).text, expected) << testing::PrintToString(bytes);
  }
}

TEST_F(NarrowTextFileTest, SurrogatePairSplitBetweenPiecesStaysOneCharacter) {
  const CodePageGuard guard("UTF-8");
  // The decoder hands UTF-16 text on in pieces of a chunk's size; put a pair across every
  // plausible piece border.
  for (size_t at : {16382u, 16383u, 32766u, 32767u}) {
    std::u16string text(at, u'x');
    text += u"\xD83D\xDE00";  // U+1F600
    text += u"y";
    Write(Utf16Le(text));
    const std::string narrow = ReadNarrowJoinedText(path_).text;
    EXPECT_EQ(narrow, std::string(at, 'x') + "\xF0\x9F\x98\x80y\r\n") << at;
  }
}

TEST_F(NarrowTextFileTest, AgreesWithTheListOnRandomFiles) {
  // Random bytes from a small alphabet rich in line ends, other control characters, marks and
  // multi-byte pieces, long enough to cross chunk borders, under every kind of code page.
  const std::string alphabet[] = {
      "a",        "\r",       "\n",   "\r\n", "\n\r", std::string(1, '\0'),
      "\xC3\xA9", "\xE2\x82", "\xAC", "\x81", "\xD8", "\xDE",
      "\x3D\xD8", "\xFF\xFE", " ",    "\t",   "\x0C", "\x01"};
  const std::string marks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
  std::mt19937 random(20261207);
  for (const char* code_page : {"windows-1252", "windows-1251", "UTF-8", "Shift_JIS"}) {
    const CodePageGuard guard(code_page);
    for (int round = 0; round < 40; ++round) {
      std::string bytes = marks[random() % 4];
      const size_t pieces = random() % 2 ? random() % 40 : 20000 + random() % 20000;
      for (size_t i = 0; i < pieces; ++i) bytes += alphabet[random() % std::size(alphabet)];
      Write(bytes);
      ASSERT_EQ(ReadNarrowJoinedText(path_).text, ThroughTheList())
          << code_page << " round " << round << " size " << bytes.size();
    }
  }
}

TEST_F(NarrowTextFileTest, WellFormedUtf8AgreesWithTheListAcrossChunkBorders) {
  // Well-formed UTF-8 under the UTF-8 code page is taken as it was read; line ends split
  // between chunks (a CR closing one, its LF opening the next), multi-byte characters across
  // borders, ill-formed bytes after a mark (decoded piece by piece among taken ones) and a
  // zero byte must come out as the list makes them.
  const std::string alphabet[] = {
      "ab", "\r", "\n", "\r\n", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", " ", "\t\x0B"};
  const CodePageGuard guard("UTF-8");
  std::mt19937 random(7);
  for (int round = 0; round < 24; ++round) {
    std::string bytes = round % 2 ? "\xEF\xBB\xBF" : "";
    while (bytes.size() < 70000) bytes += alphabet[random() % std::size(alphabet)];
    if (round % 4 == 1) bytes.insert(40000 + random() % 1000, "\xFF");
    if (round % 8 == 3) bytes.insert(50000 + random() % 1000, 1, '\0');
    for (const size_t border : {32767u, 65535u}) {
      if (round % 3 == 0) bytes.replace(border, 2, "\r\n");
    }
    Write(bytes);
    ASSERT_EQ(ReadNarrowJoinedText(path_).text, ThroughTheList()) << "round " << round;
  }
}

TEST_F(NarrowTextFileTest, MissingFileIsTheOpenError) {
  EXPECT_THROW(ReadNarrowJoinedText(path_ / "missing.txt").text, Error);
}

// Round trip: whatever mix of CR, LF and CR LF a file has (split across read chunks too, in
// 8-bit and UTF-16 files), the text with its line ends as written is the file's text again.
TEST_F(NarrowTextFileTest, LineEndsAsWrittenGiveTheFileBack) {
  const CodePageGuard guard("windows-1252");
  std::mt19937 random(7);
  const std::string pieces[] = {"\r", "\n", "\r\n", "\n\r", "ab", "\xE9"};
  for (int round = 0; round < 20; ++round) {
    std::string text;
    const size_t size = round < 10 ? 40 : 70000;  // past a 32 KiB chunk or two
    while (text.size() < size) text += pieces[random() % std::size(pieces)];
    if (round % 2 == 0) text += "z";  // a last line without a line end
    for (const bool utf16 : {false, true}) {
      std::u16string wide;
      for (char c : text) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
      Write(utf16 ? Utf16Le(wide) : text);
      const TNarrowTextFile file = ReadNarrowJoinedText(path_);
      ASSERT_EQ(file.text, ThroughTheList()) << round;
      EXPECT_EQ(WithLineEndsAsWritten(file.text, 0, file.text.size(), 0, file.lone_line_ends),
                ToNarrow(wide))
          << "round " << round << (utf16 ? ", UTF-16" : ", 8-bit");
    }
  }
  // A piece from the middle: its first line end is the file's second.
  Write("a\nb\rc\r\nd\ne");
  const TNarrowTextFile file = ReadNarrowJoinedText(path_);
  EXPECT_EQ(WithLineEndsAsWritten(file.text, 3, 9, 1, file.lone_line_ends), "b\rc\r\nd\n");
}

}  // namespace
}  // namespace farrowdale
