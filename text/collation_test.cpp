#include "text/collation.h"

#include <gtest/gtest.h>

namespace farrowdale {
namespace {

TEST(CollationTest, CaseCountsOnlyWhenAskedAndAccentsAlways) {
  EXPECT_EQ(CompareText(u"Abc", u"abc", false), 0);
  EXPECT_NE(CompareText(u"Abc", u"abc", true), 0);
  EXPECT_LT(CompareText(u"abc", u"abd", false), 0);
  EXPECT_GT(CompareText(u"b", u"A", false), 0);
  EXPECT_LT(CompareText(u"e", u"\u00E9", false), 0);
  EXPECT_LT(CompareText(u"\u00E9", u"f", false), 0);
  EXPECT_LT(CompareText(u"", u"a", false), 0);
}

}  // namespace
}  // namespace farrowdale
