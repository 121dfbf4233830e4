#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "testing/code_page_guard.h"
#include "testing/error_text.h"
#include "testing/file_bytes.h"
#include "testing/scratch_folder.h"
#include "text/error.h"
#include "text/unicode_string_list.h"

namespace farrowdale {

using testing_support::ErrorText;

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::u16string>;

class TextFileTest : public testing::Test {
 protected:
  fs::path Write(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  static std::string Bytes(const fs::path& path) { return testing_support::ReadBytes(path); }
  static Lines Read(const fs::path& path) {
    TUnicodeStringList list;
    list.ReadTextFile(path);
    Lines entries;
    for (int i = 0; i < list.EntryCount(); ++i) entries.push_back(list.EntryAt(i));
    return entries;
  }
  Lines ReadBytes(const std::string& bytes) { return Read(Write("in.txt", bytes)); }

  const testing_support::ScratchFolder scratch_{"text_file"};
  const fs::path dir_ = scratch_.path();
  CodePageGuard code_page_{"windows-1252"};
};

TEST_F(TextFileTest, DetectsMarksUtf16First) {
  size_t bom = 99;
  EXPECT_EQ(DetectTextEncoding("", &bom), TextEncoding::SystemCodePage);
  EXPECT_EQ(bom, 0u);
  EXPECT_EQ(DetectTextEncoding("\xFF", &bom), TextEncoding::SystemCodePage);
  EXPECT_EQ(DetectTextEncoding("\xFF\xFE", &bom), TextEncoding::Utf16Le);
  EXPECT_EQ(bom, 2u);
  EXPECT_EQ(DetectTextEncoding("\xFE\xFF\x00", &bom), TextEncoding::Utf16Be);
  EXPECT_EQ(DetectTextEncoding("\xEF\xBB", &bom), TextEncoding::SystemCodePage);
  EXPECT_EQ(DetectTextEncoding("\xEF\xBB\xBF", &bom), TextEncoding::Utf8);
  EXPECT_EQ(bom, 3u);
  EXPECT_EQ(DetectTextEncoding(std::string("\xFF\xFE\0\0", 4), &bom), TextEncoding::Utf16Le);
}

TEST_F(TextFileTest, ReadsEachEncoding) {
  EXPECT_EQ(ReadBytes(""), Lines{});
  EXPECT_EQ(ReadBytes("\xFF\xFE"), Lines{});
  EXPECT_EQ(ReadBytes("\xFE\xFF"), Lines{});
  EXPECT_EQ(ReadBytes("\xEF\xBB\xBF"), Lines{});
  EXPECT_EQ(ReadBytes("A"), Lines{u"A"});
  EXPECT_EQ(ReadBytes("a\r\nb"), (Lines{u"a", u"b"}));
  EXPECT_EQ(ReadBytes("a\r\nb\r\n"), (Lines{u"a", u"b"}));
  EXPECT_EQ(ReadBytes("a\n\nb"), (Lines{u"a", u"", u"b"}));
  EXPECT_EQ(ReadBytes("a\n\rb"), (Lines{u"a", u"", u"b"}));
  // No mark: system code page, never guessed as UTF-8.
  EXPECT_EQ(ReadBytes("\xC3\xA9\x80"), Lines{u"\u00C3\u00A9\u20AC"});
  // UTF-16 LE, with a trailing odd byte ignored; a UTF-32 mark is UTF-16 LE starting at U+0000.
  EXPECT_EQ(ReadBytes(std::string("\xFF\xFEx\0\x16\x04\r\0\n\0y\0z", 13)),
            (Lines{u"x\u0416", u"y"}));
  EXPECT_EQ(ReadBytes(std::string("\xFF\xFE\0\0a\0", 6)), Lines{});
  EXPECT_EQ(ReadBytes(std::string("\xFE\xFF\0x\x04\x16\0\n\xD8\x3D\xDE\x00", 12)),
            (Lines{u"x\u0416", u"\U0001F600"}));
  EXPECT_EQ(ReadBytes("\xEF\xBB\xBF\xC3\xA9t\xC3\xA9\r\n\xE2\x82\xAC"),
            (Lines{u"\u00E9t\u00E9", u"\u20AC"}));
  // The text ends at its first U+0000, here in the third line.
  EXPECT_EQ(ReadBytes(std::string("one\r\ntwo\r\nth\0ree\r\nfour", 22)),
            (Lines{u"one", u"two", u"th"}));
}

TEST_F(TextFileTest, Utf8BeyondTheBasicPlaneAndIllFormedBytesKeepTheText) {
  // A character beyond U+FFFF becomes a surrogate pair; an ill-formed byte becomes U+FFFD
  // without losing the rest of the file.
  EXPECT_EQ(ReadBytes("\xEF\xBB\xBF\xF0\x9F\x98\x80\r\nok"), (Lines{u"\U0001F600", u"ok"}));
  EXPECT_EQ(ReadBytes("\xEF\xBB\xBF\xC3 x\r\ny"), (Lines{u"\uFFFD x", u"y"}));
  EXPECT_EQ(ReadBytes("\xEF\xBB\xBFz\xF0\x9F\x98"), Lines{u"z\uFFFD"});
}

TEST_F(TextFileTest, SystemCodePageDecodesThroughTheChosenCodePage) {
  {
    CodePageGuard cyrillic("windows-1251");
    EXPECT_EQ(ReadBytes("\xC6\x98"), Lines{u"\u0416\u0098"});
  }
  CodePageGuard utf8("UTF-8");
  EXPECT_EQ(ReadBytes("\xC3\xA9!"), Lines{u"\u00E9!"});
  // Not UTF-8: a legacy file, every byte one windows-1252 character.
  EXPECT_EQ(ReadBytes("\xC3\xA9\xFF"), Lines{u"\u00C3\u00A9\u00FF"});
}

TEST_F(TextFileTest, WritesUtf16LeWithMarkAndCrLf) {
  TUnicodeStringList list;
  list.AddEntry(u"x");
  list.AddEntry(u"y");
  const fs::path path = dir_ / "out.htm";
  Write("out.htm", "older and longer content");
  list.WriteTextFile(path);
  EXPECT_EQ(Bytes(path), std::string("\xFF\xFEx\0\r\0\n\0y\0\r\0\n\0", 14));

  TUnicodeStringList empty;
  empty.WriteTextFile(path);
  EXPECT_EQ(Bytes(path), "\xFF\xFE");

  TUnicodeStringList wide;
  wide.AddEntry(u"\u0416\U0001F600");
  wide.WriteTextFile(path);
  EXPECT_EQ(Bytes(path), std::string("\xFF\xFE\x16\x04\x3D\xD8\x00\xDE\r\0\n\0", 12));
  EXPECT_EQ(Read(path), Lines{u"\u0416\U0001F600"});
}

TEST_F(TextFileTest, FailuresReportTheAbsolutePathAndLeaveTheListAlone) {
  TUnicodeStringList list;
  list.AddEntry(u"kept");
  const std::string dir = dir_.generic_string();
  const fs::path saved = fs::current_path();
  fs::current_path(dir_);
  EXPECT_EQ(ErrorText([&] { list.ReadTextFile("./missing.txt"); }),
            "Cannot open file \"" + dir + "/missing.txt\". No such file or directory");
  EXPECT_EQ(ErrorText([&] { list.WriteTextFile("no_folder/sub/../out.htm"); }),
            "Cannot create file \"" + dir + "/no_folder/out.htm\". No such file or directory");
  fs::current_path(saved);
  EXPECT_EQ(ErrorText([&] { list.ReadTextFile(dir_); }),
            "Cannot open file \"" + dir + "\". It is a folder, not a regular file.");
  EXPECT_EQ(ErrorText([&] { list.WriteTextFile(dir_); }),
            "Cannot create file \"" + dir + "\". It is a folder, not a regular file.");
  ASSERT_EQ(list.EntryCount(), 1);
  EXPECT_EQ(list.EntryAt(0), u"kept");
}

TEST(ErrorTest, Texts) {
  EXPECT_STREQ(FileOpenError("/a//b/./c/", ENOENT).what(),
               "Cannot open file \"/a/b/c\". No such file or directory");
  EXPECT_STREQ(FileCreateError("/x", 0x7fff).what(),
               "Cannot create file \"/x\". Unknown error 32767");
  EXPECT_STREQ(InvalidIntegerError("12x").what(), "'12x' is not a valid integer value");
  // Messages are narrow text: the native (UTF-8) name in the system code page.
  CodePageGuard guard("windows-1252");
  EXPECT_STREQ(FileOpenError("/caf\xC3\xA9.txt", ENOENT).what(),
               "Cannot open file \"/caf\xE9.txt\". No such file or directory");
}

}  // namespace
}  // namespace farrowdale
