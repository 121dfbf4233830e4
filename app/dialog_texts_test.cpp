#include "app/dialog_texts.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace farrowdale
