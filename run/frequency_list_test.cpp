#include "run/frequency_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "text/code_page.h"
#include "text/error.h"

namespace farrowdale {
namespace {

using Entries = std::vector<std::u16string>;

TUnicodeStringList ListOf(const Entries& entries) {
  TUnicodeStringList list;
  for (const std::u16string& entry : entries) list.AddEntry(entry);
  return list;
}

Entries EntriesOf(const TUnicodeStringList& list) {
  Entries entries;
  for (int i = 0; i < list.EntryCount(); ++i) entries.push_back(list.EntryAt(i));
  return entries;
}

Entries Count(const Entries& texts) {
  TUnicodeStringList source = ListOf(texts);
  TUnicodeStringList freq;
  CountDistinctTexts(source, freq, "ByFreq", true);
  return EntriesOf(freq);
}

class FrequencyListTest : public ::testing::Test {
 protected:
  void SetUp() override { SetSystemCodePage("windows-1252"); }
};

TEST_F(FrequencyListTest, CountsSortsAndLeavesTheSourceSortedWithAnEmptyEntry) {
  TUnicodeStringList source = ListOf({u"b", u"a", u"b"});
  TUnicodeStringList freq;
  CountDistinctTexts(source, freq, "ByFreq", true);
  EXPECT_EQ(EntriesOf(freq), (Entries{u"b=2", u"a=1"}));
  EXPECT_EQ(FormatHitList(freq), u"b (2) <br>a (1) <br>");
  EXPECT_EQ(EntriesOf(source), (Entries{u"a", u"b", u"b", u""}));

  TUnicodeStringList empty_source;
  CountDistinctTexts(empty_source, freq, "ByFreq", true);
  EXPECT_EQ(empty_source.EntryCount(), 0);
  EXPECT_EQ(FormatHitList(TUnicodeStringList()), u"");
}

TEST_F(FrequencyListTest, GroupingByTrimmedTextFoldingOnlyAToZ) {
  // The sort exchanges the two equal entries, so the group's last entry is "Abc".
  EXPECT_EQ(Count({u"Abc", u"abc"}), Entries{u"Abc=2"});
  // Accented letters are not folded: two entries, though the collation ties them.
  const Entries accented = Count({u"\u00C9t\u00E9", u"\u00E9t\u00E9"});
  ASSERT_EQ(accented.size(), 2u);
  EXPECT_NE(accented[0], accented[1]);
  // The shown text is trimmed; texts of spaces only give no entry.
  EXPECT_EQ(Count({u" a", u"a", u"   ", u"\t"}), Entries{u"a=2"});
}

TEST_F(FrequencyListTest, ByFreqTiesFollowTheQuicksort) {
  EXPECT_EQ(Count({u"a", u"b"}), (Entries{u"b=1", u"a=1"}));
  EXPECT_EQ(Count({u"c", u"a", u"b"}), (Entries{u"c=1", u"b=1", u"a=1"}));
  EXPECT_EQ(Count({u"d", u"b", u"a", u"c"}), (Entries{u"c=1", u"d=1", u"a=1", u"b=1"}));
  EXPECT_EQ(Count({u"d", u"b", u"a", u"b", u"c", u"d", u"b"}),
            (Entries{u"b=3", u"d=2", u"c=1", u"a=1"}));
  // Counts compare as numbers.
  Entries texts(9, u"a");
  texts.insert(texts.end(), 10, u"b");
  EXPECT_EQ(Count(texts), (Entries{u"b=10", u"a=9"}));
  EXPECT_EQ(Count({u"x"}), Entries{u"x=1"});
}

TEST_F(FrequencyListTest, OtherOrdersSortByText) {
  TUnicodeStringList source = ListOf({u"b", u"a", u"b"});
  TUnicodeStringList freq;
  CountDistinctTexts(source, freq, "byfreq", true);
  EXPECT_EQ(EntriesOf(freq), (Entries{u"a=1", u"b=2"}));
}

TEST_F(FrequencyListTest, EqualsSignInAText) {
  // A single entry is never sorted: the hit list shows the split parts.
  TUnicodeStringList source = ListOf({u"x=y", u"x=y"});
  TUnicodeStringList freq;
  CountDistinctTexts(source, freq, "ByFreq", true);
  EXPECT_EQ(FormatHitList(freq), u"x (y=2) <br>");
  // With two entries the sort cannot read the count back.
  try {
    Count({u"x=y", u"z"});
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "'y=1' is not a valid integer value");
  }
}

TEST_F(FrequencyListTest, CompareByFreqReadsTheCountAfterTheFirstSeparator) {
  const TUnicodeStringList list = ListOf({u"a=3", u"b=10", u"c", u"d=x"});
  EXPECT_EQ(CompareByFreq(list, 0, 1), 7);
  EXPECT_EQ(CompareByFreq(list, 1, 0), -7);
  EXPECT_THROW(CompareByFreq(list, 0, 2), Error);
  EXPECT_THROW(CompareByFreq(list, 3, 0), Error);
}

// The count sort reads each count once; its order and its errors must be exactly those of
// sorting with CompareByFreq itself.
TEST_F(FrequencyListTest, CountSortMatchesSortingWithCompareByFreq) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    Entries texts;
    // Distinct first letters keep the text order of the entries that of their texts, so the
    // reference can start from the list sorted by text.
    const int distinct = 1 + static_cast<int>(random() % 26);
    for (int t = 0; t < distinct; ++t) {
      std::u16string text(1, static_cast<char16_t>(u'a' + t));
      if (round % 10 == 0 && t % 7 == 3) text += u"=q";
      const int copies = 1 + static_cast<int>(random() % 4);
      for (int c = 0; c < copies; ++c) texts.push_back(text);
    }
    std::shuffle(texts.begin(), texts.end(), random);

    TUnicodeStringList source = ListOf(texts);
    TUnicodeStringList expected;
    CountDistinctTexts(source, expected, "other", true);
    std::string expected_error;
    try {
      expected.SortWith(CompareByFreq);
    } catch (const Error& error) {
      expected_error = error.what();
    }

    source = ListOf(texts);
    TUnicodeStringList actual;
    std::string actual_error;
    try {
      CountDistinctTexts(source, actual, "ByFreq", true);
    } catch (const Error& error) {
      actual_error = error.what();
    }
    EXPECT_EQ(actual_error, expected_error);
    if (expected_error.empty()) {
      EXPECT_EQ(EntriesOf(actual), EntriesOf(expected));
    }
  }
}

}  // namespace
}  // namespace farrowdale
