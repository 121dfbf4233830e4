#include "tagset/ini_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "testing/code_page_guard.h"
#include "testing/scratch_folder.h"
#include "text/code_page.h"
#include "text/error.h"

namespace farrowdale {
namespace {

using Names = std::vector<std::string>;

// Every test's file is read both ways, and the one-reading form must answer every listing as
// the path-made form does, then stands for both in the test's own expectations.
class IniFileTest : public ::testing::Test {
 protected:
  TIniFile Write(const std::string& bytes) {
    const std::filesystem::path path = dir_ / "tags.ini";
    std::ofstream(path, std::ios::binary) << bytes;
    const TIniFile held = TIniFile::ReadOnce(path);
    const TIniFile anew(path);
    EXPECT_EQ(held.ReadSections(), anew.ReadSections());
    EXPECT_EQ(held.ReadAllSectionValues(), anew.ReadAllSectionValues());
    EXPECT_EQ(held.ReadPlaces(), anew.ReadPlaces());
    return held;
  }

  const CodePageGuard code_page_{"windows-1252"};
  const testing_support::ScratchFolder scratch_{"ini_file"};
  const std::filesystem::path dir_ = scratch_.path();
};

TEST_F(IniFileTest, SectionHeadersAndOrder) {
  const TIniFile ini = Write(
      "k=before any header\r\n"
      " \t[ first ]\r\n"
      "[second]k=v\r\n"
      "[open\r\n"
      "[[bracket]\r\n"
      "not]\r\n"
      "[a]b]\n"
      "[second]\r"
      "[]\r\n");
  EXPECT_EQ(ini.ReadSections(), (Names{"first", "second", "open", "[bracket", "a", "second", ""}));
  // Text after "]" on a header line is no entry.
  EXPECT_EQ(ini.ReadSectionValues("second"), Names{});
}

TEST_F(IniFileTest, EntriesKeysAndLineEnds) {
  const TIniFile ini = Write(
      "[S]\r\n"
      "  Begin\t=\t <e> \r\n"
      "; begin=comment\r\n"
      "\t;end=comment\r"
      "no equals sign\n"
      "c=Data Source=x\n"
      "BEGIN=second\r\n"
      "empty=\r\n"
      "=val5\r\n"
      "#k=v ;x\r\n"
      "[T]\r\n"
      "begin=other\r\n");
  // Keys in file order; the value of a duplicate key is the first one's.
  EXPECT_EQ(ini.ReadSectionValues("S"),
            (Names{"Begin=<e>", "c=Data Source=x", "BEGIN=<e>", "empty=", "=val5", "#k=v ;x"}));
  // Section names match ignoring case; the name asked for loses spaces, not tabs.
  EXPECT_EQ(ini.ReadSectionValues("  s "), ini.ReadSectionValues("S"));
  EXPECT_EQ(ini.ReadSectionValues("\tS"), Names{});
  EXPECT_EQ(ini.ReadSectionValues("missing"), Names{});
}

TEST_F(IniFileTest, OnlyTheFirstOfTwoEqualSectionsIsRead) {
  const TIniFile ini = Write("[S]\r\n[s]\r\nk=v\r\n[T]\r\nb=1\r\n[t]\r\nb=2\r\n");
  EXPECT_EQ(ini.ReadSections(), (Names{"S", "s", "T", "t"}));
  EXPECT_EQ(ini.ReadSectionValues("s"), Names{});
  // The one-reading form gives what the single lookups give.
  using All = std::vector<std::pair<std::string, Names>>;
  EXPECT_EQ(ini.ReadAllSectionValues(),
            (All{{"S", {}}, {"s", {}}, {"T", {"b=1"}}, {"t", {"b=1"}}}));
}

TEST_F(IniFileTest, OnePairOfEnclosingQuotesIsRemoved) {
  const TIniFile ini = Write(
      "[Q]\r\n"
      "a=  \"  v  \"  \r\n"
      "b='v'\r\n"
      "c=\"'v'\"\r\n"
      "d=\"\"v\"\"\r\n"
      "e=\"v'\r\n"
      "f='\"v'\"\r\n"
      "g=\"\r\n"
      "h=\"\"\r\n");
  EXPECT_EQ(ini.ReadSectionValues("Q"),
            (Names{"a=  v  ", "b=v", "c='v'", "d=\"v\"", "e=\"v'", "f='\"v'\"", "g=\"", "h="}));
}

TEST_F(IniFileTest, ValuesAreCutTo2047Characters) {
  const std::string value(3000, 'x');
  const TIniFile ini = Write("[S]\r\nbegin=" + value + "\r\nq=\"" + value + "\"\r\n");
  EXPECT_EQ(ini.ReadSectionValues("S"),
            (Names{"begin=" + value.substr(0, 2047), "q=" + value.substr(0, 2047)}));
}

TEST_F(IniFileTest, ListBuffersKeepWhatFitsAndCutTheNextName) {
  // 140 names of 120 characters: 135 fit whole, the 136th keeps 47 characters.
  std::string sections;
  std::string keys = "[S]\r\n";
  Names names;
  for (int i = 0; i < 140; ++i) {
    std::string name = std::to_string(1000 + i) + std::string(116, 'n');
    names.push_back(name);
    sections += "[" + name + "]\r\n";
    keys += name + "=v\r\n";
  }
  Names expected(names.begin(), names.begin() + 135);
  expected.push_back(names[135].substr(0, 47));
  EXPECT_EQ(Write(sections).ReadSections(), expected);

  // The cut key is looked up as cut, and so finds no value.
  Names expected_pairs;
  for (int i = 0; i < 135; ++i) expected_pairs.push_back(names[i] + "=v");
  expected_pairs.push_back(names[135].substr(0, 47) + "=");
  EXPECT_EQ(Write(keys).ReadSectionValues("S"), expected_pairs);

  // Exact fit: the whole list with its closing zero is 16384 bytes; every name stays whole.
  // One byte more and the last name loses its last character.
  const auto sections_with_last = [&](size_t length) {
    std::string file;
    for (int i = 0; i < 135; ++i) file += "[" + names[i] + "]\n";
    return Write(file + "[" + std::string(length, 'z') + "]\n").ReadSections();
  };
  Names exact(names.begin(), names.begin() + 135);
  exact.push_back(std::string(47, 'z'));
  EXPECT_EQ(sections_with_last(47), exact);
  EXPECT_EQ(sections_with_last(48), exact);
}

TEST_F(IniFileTest, EncodingsByByteOrderMark) {
  // No mark: the bytes are narrow text as they stand (0x9D has no windows-1252 character).
  EXPECT_EQ(Write("[S\x9D\xE9]\r\n").ReadSections(), Names{"S\x9D\xE9"});
  // UTF-8 with its mark: converted to the code page, the header on line 1 included.
  EXPECT_EQ(Write("\xEF\xBB\xBF[\xC3\xA9]\r\nk=\xE2\x82\xAC\r\n").ReadSectionValues("\xE9"),
            Names{"k=\x80"});
  // UTF-16 LE with its mark.
  const char utf16le[] = "\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\xAC\x20";
  EXPECT_EQ(Write(std::string(utf16le, sizeof utf16le - 1)).ReadSectionValues("S"),
            Names{"k=\x80"});
  // UTF-16 BE is not understood: nothing can be read.
  EXPECT_EQ(Write(std::string("\xFE\xFF\0[\0S\0]", 8)).ReadSections(), Names{});
  // A zero character ends the text.
  EXPECT_EQ(Write(std::string("[A]\r\n\0[B]\r\n", 11)).ReadSections(), Names{"A"});
}

// What one reading held is all a file made by ReadOnce answers, whatever the path holds later.
TEST_F(IniFileTest, OneReadingOutlivesTheFileItWasReadFrom) {
  const TIniFile held = Write("[A]\r\nk=v\r\n");
  ASSERT_NE(held.HeldBytes(), nullptr);
  EXPECT_EQ(*held.HeldBytes(), "[A]\r\nk=v\r\n");
  std::ofstream(held.Path(), std::ios::binary | std::ios::trunc) << "[B]\r\n";
  EXPECT_EQ(held.ReadSections(), Names{"A"});
  std::filesystem::remove(held.Path());
  EXPECT_EQ(held.ReadSectionValues("A"), Names{"k=v"});
}

// A mistyped path must not pass for an empty tag set; only "no tag set chosen" is one.
TEST_F(IniFileTest, UnreadablePathIsTheFileOpenErrorAndEmptyPathGivesNothing) {
  const auto error_of = [](const TIniFile& ini) {
    try {
      ini.ReadAllSectionValues();
    } catch (const Error& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  const std::string absent = (dir_ / "absent.ini").string();
  EXPECT_EQ(error_of(TIniFile(absent)),
            "Cannot open file \"" + absent + "\". No such file or directory");
  EXPECT_THROW(TIniFile(absent).ReadSectionValues("S"), Error);
  EXPECT_EQ(error_of(TIniFile(dir_)),
            "Cannot open file \"" + dir_.string() + "\". It is a folder, not a regular file.");
  EXPECT_EQ(TIniFile("").ReadSections(), Names{});
  // One reading keeps the same error for every operation, and holds no bytes.
  EXPECT_EQ(error_of(TIniFile::ReadOnce(absent)), error_of(TIniFile(absent)));
  EXPECT_THROW(TIniFile::ReadOnce(absent).ReadPlaces(), Error);
  EXPECT_EQ(error_of(TIniFile::ReadOnce(dir_)), error_of(TIniFile(dir_)));
  EXPECT_EQ(TIniFile::ReadOnce(dir_).HeldBytes(), nullptr);
  EXPECT_EQ(TIniFile::ReadOnce("").ReadSections(), Names{});
  EXPECT_EQ(TIniFile::ReadOnce("").HeldBytes(), nullptr);
}

}  // namespace
}  // namespace farrowdale
