#include "text/trim.h"

#include <gtest/gtest.h>

namespace farrowdale {
namespace {

TEST(TrimTest, RemovesCodesUpToSpaceOnlyAtTheEnds) {
  EXPECT_EQ(Trim(std::string_view("\x01\t a b\r\n \x1F")), "a b");
  EXPECT_EQ(Trim(std::string_view(" \xA0x\x7F\x80 ")), "\xA0x\x7F\x80");
  EXPECT_EQ(Trim(std::string_view("\0 \0", 3)), "");
  EXPECT_EQ(Trim(std::u16string_view(u"\u3000 \u00A0x\u0085 \t")), u"\u3000 \u00A0x\u0085");
  EXPECT_EQ(Trim(std::u16string_view(u"")), u"");
}

}  // namespace
}  // namespace farrowdale
