#include "tagset/tag_set.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "testing/code_page_guard.h"
#include "testing/scratch_folder.h"
#include "text/code_page.h"
#include "text/error.h"

namespace farrowdale {
namespace {

class TagSetTest : public ::testing::Test {
 protected:
  TTagArray Load(const std::string& ini_text) {
    const std::filesystem::path path = dir_ / "tags.ini";
    std::ofstream(path, std::ios::binary) << ini_text;
    TTagArray tags;
    LoadTagSet(TIniFile(path), tags);
    return tags;
  }

  // The message of the error LoadTagSet raises for the file, or "" when it raises none.
  std::string LoadError(const std::string& ini_text) {
    try {
      Load(ini_text);
    } catch (const Error& error) {
      return error.what();
    }
    return "";
  }

  const CodePageGuard code_page_{"windows-1252"};
  const testing_support::ScratchFolder scratch_{"tag_set"};
  const std::filesystem::path dir_ = scratch_.path();
};

TEST_F(TagSetTest, TagsInFileOrderSeparatorsWithoutMarkers) {
  const TTagArray tags = Load(
      "[a]\r\nbegin=<a>\r\nend=</a>\r\ncolor=FF0000\r\n"
      "[-]\r\nbegin=<x>\r\nend=</x>\r\ncolor=zz\r\n"
      "[ b ]\r\nbegin = ' <b> '\r\nEND=</b>\x01\r\n"
      "[]\r\nbegin=<y>\r\n"
      "[\x01]\r\nbegin=<z>\r\n");
  ASSERT_EQ(tags.size(), 5u);
  EXPECT_EQ(tags[0].Name, "a");
  EXPECT_EQ(tags[0].BeginMark, "<a>");
  EXPECT_EQ(tags[0].EndMark, "</a>");
  EXPECT_EQ(tags[0].Color, "FF0000");
  EXPECT_EQ(tags[0].ColorValue, 0x0000FF);
  // A separator keeps only its name, even with keys (its malformed colour is never read).
  EXPECT_EQ(tags[1].Name, "-");
  EXPECT_EQ(tags[1].BeginMark, "");
  EXPECT_EQ(tags[1].Color, "");
  EXPECT_TRUE(IsSkippedTag(tags[1]));
  // Names and values trimmed of everything up to a space; the quotes' inner spaces too.
  EXPECT_EQ(tags[2].Name, "b");
  EXPECT_EQ(tags[2].BeginMark, "<b>");
  EXPECT_EQ(tags[2].EndMark, "</b>");
  EXPECT_EQ(tags[2].Color, "000000");
  EXPECT_EQ(tags[2].ColorValue, 0);
  EXPECT_FALSE(IsSkippedTag(tags[2]));
  // Empty names, also after trimming, are separators.
  EXPECT_EQ(tags[3].Name, "");
  EXPECT_EQ(tags[3].BeginMark, "");
  EXPECT_TRUE(IsSkippedTag(tags[4]));
  EXPECT_EQ(tags[4].BeginMark, "");
}

TEST_F(TagSetTest, KeysIgnoreCaseAndTheFirstWins) {
  const TTagArray tags = Load(
      "[t]\r\nColor=ff0000\r\nBEGIN=first\r\nbegin=second\r\nother=x\r\n"
      "[u]\r\ncolor=0000FFextra\r\nbegin=" +
      std::string(3000, 'm') + "\r\n");
  ASSERT_EQ(tags.size(), 2u);
  EXPECT_EQ(tags[0].Color, "ff0000");
  EXPECT_EQ(tags[0].ColorValue, 255);
  EXPECT_EQ(tags[0].BeginMark, "first");
  EXPECT_EQ(tags[0].EndMark, "");
  // Characters after the sixth stay in Color but take no part in ColorValue.
  EXPECT_EQ(tags[1].Color, "0000FFextra");
  EXPECT_EQ(tags[1].ColorValue, 0xFF0000);
  EXPECT_EQ(tags[1].BeginMark, std::string(2047, 'm'));
}

// The message names the tag, the file and the colour as written, then the conversion's own
// text unchanged.
TEST_F(TagSetTest, MalformedColourNamesTheTagAndFile) {
  const std::string where = "Tag \"t\" in " + (dir_ / "tags.ini").string() + ", color ";
  EXPECT_EQ(LoadError("[ok]\r\ncolor=00ff00\r\n[ t ]\r\ncolor=GG0000\r\n"),
            where + "\"GG0000\": '$0000GG' is not a valid integer value");
  EXPECT_EQ(LoadError("[t]\r\ncolor=12345x\r\n"),
            where + "\"12345x\": '$5x3412' is not a valid integer value");
  EXPECT_EQ(LoadError("[t]\r\ncolor=-12345\r\n"),
            where + "\"-12345\": '$4523-1' is not a valid integer value");
  // Too short: the missing characters are not read from anywhere.
  EXPECT_EQ(LoadError("[t]\r\ncolor=ABC\r\n"),
            where + "\"ABC\": '$CAB' is not a valid integer value");
  EXPECT_EQ(LoadError("[t]\r\ncolor=12345\r\n"),
            where + "\"12345\": '$53412' is not a valid integer value");
}

TEST_F(TagSetTest, NoPathOrEmptyTagSetGivesAnEmptyTable) {
  TTagArray tags(1);
  tags[0].Name = "stale";
  LoadTagSet(TIniFile(""), tags);
  EXPECT_TRUE(tags.empty());
  EXPECT_TRUE(Load("").empty());
  EXPECT_TRUE(Load("begin=<e>\r\n; no section\r\n").empty());
}

}  // namespace
}  // namespace farrowdale
