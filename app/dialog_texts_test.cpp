#include "app/dialog_texts.h"

#include <gtest/gtest.h>

#include "text/code_page.h"

namespace farrowdale {
namespace {

TEST(DialogTextsTest, ErrorBoxAppendsAFullStopAfterCharactersAboveIt) {
  EXPECT_EQ(ErrorBoxText("Cannot open file \"/a.txt\". No such file or directory"),
            "Cannot open file \"/a.txt\". No such file or directory.");
  EXPECT_EQ(ErrorBoxText("Done."), "Done.");
  EXPECT_EQ(ErrorBoxText("Pattern(comp): ?+*{ Follows Nothing (pos 1)"),
            "Pattern(comp): ?+*{ Follows Nothing (pos 1)");  // ')' is below '.'
  EXPECT_EQ(ErrorBoxText("'zz' is not a valid integer value"),
            "'zz' is not a valid integer value.");
  EXPECT_EQ(ErrorBoxText("ends in a slash/"), "ends in a slash/.");  // '/' is above '.'
  EXPECT_EQ(ErrorBoxText("dash-"), "dash-");
  EXPECT_EQ(ErrorBoxText("caf\xE9"), "caf\xE9.");  // bytes above 127 count as above '.'
  EXPECT_EQ(ErrorBoxText(""), "");
}

TEST(DialogTextsTest, DialogFilter) {
  EXPECT_EQ(DialogFilter("Morrow Tallyweave Tagset(*.ini)|*.ini"),
            "Morrow Tallyweave Tagset (*.ini)");
  EXPECT_EQ(DialogFilter("Text|*.txt;*.text|All files (*.*)|*.*"),
            "Text (*.txt *.text);;All files (*.*)");
  EXPECT_EQ(DialogFilter("Anything"), "Anything (*)");
}

TEST(DialogTextsTest, ManyDuplicatesGiveOneMessageNamingTheFirstTen) {
  SetSystemCodePage("UTF-8");
  std::vector<std::filesystem::path> offered;
  for (int i = 0; i < 12; ++i) offered.push_back("/c/f" + std::to_string(i) + ".txt");
  const std::string message = DuplicatesMessage(offered);
  EXPECT_EQ(message.substr(0, message.find('\n')),
            "12 files are already in the list and were not added again:");
  EXPECT_NE(message.find("\n/c/f9.txt\nand 2 more."), std::string::npos);
  EXPECT_EQ(message.find("f10.txt"), std::string::npos);
}

}  // namespace
}  // namespace farrowdale
