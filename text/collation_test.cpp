#include "text/collation.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "text/text_blocks.h"

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

// ASCII texts that share long beginnings and
// differ in case or ignorable characters only, and texts with accents, characters beyond the
// BMP, an ignorable zero-width space or a lone surrogate among them: their kept forms compare
// as CompareText, and so do their keys wherever two differ.
TEST(CollationTest, KeptFormsAndTheirKeysCompareAsCompareText) {
  std::mt19937 random(3);
  std::vector<std::u16string> texts;
  for (int i = 0; i < 3000; ++i) {
    std::u16string text = u"interview ";
    for (int n = static_cast<int>(random() % 6); n > 0; --n) {
      text += u"aAbB \t-\x01"[random() % 9];
    }
    if (i % 7 == 0) text += u"\u00E9";
    if (i % 11 == 0) text.insert(0, u"Z");
    if (i % 13 == 0) text += u"\U0001F600";
    if (i % 17 == 0) text.insert(random() % text.size(), u"\u200B");
    if (i % 19 == 0) text.insert(random() % text.size(), 1, i % 2 == 0 ? u'\xD800' : u'\xDFFF');
    texts.push_back(text);
  }
  std::vector<std::string> forms;
  for (const std::u16string& text : texts) AppendKeptForm(text, forms.emplace_back());
  int decided_by_keys = 0;
  for (int round = 0; round < 40000; ++round) {
    const auto a = random() % texts.size();
    const auto b = random() % texts.size();
    const int expected = CompareText(texts[a], texts[b], false);
    ASSERT_EQ(CompareKeptForms(forms[a], forms[b]), expected) << round;
    const uint64_t key_a = CollationKey(forms[a]);
    const uint64_t key_b = CollationKey(forms[b]);
    if (key_a != key_b && key_a != kNoCollationKey && key_b != kNoCollationKey) {
      ++decided_by_keys;
      ASSERT_EQ(key_a < key_b ? -1 : 1, expected) << round;
    }
  }
  // The texts share their first ten characters but for a leading "Z": the keys decide
  // between texts with and without one.
  EXPECT_GT(decided_by_keys, 1000);
}

}  // namespace
}  // namespace farrowdale
