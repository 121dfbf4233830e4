#include "count/frequency_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "text/code_page.h"

namespace farrowdale {
namespace {

using Texts = std::vector<std::u16string>;
using Counted = std::vector<std::pair<std::u16string, int32_t>>;

TUnicodeStringList ListOf(const Texts& texts) {
  TUnicodeStringList list;
  for (const std::u16string& text : texts) list.AddEntry(text);
  return list;
}

Counted Count(const Texts& texts) {
  TUnicodeStringList source = ListOf(texts);
  Counted counted;
  for (const TFrequencyEntry& entry : CountDistinctTexts(source, true)) {
    counted.emplace_back(entry.Text, entry.Count);
  }
  return counted;
}

class FrequencyListTest : public ::testing::Test {
 protected:
  void SetUp() override { SetSystemCodePage("windows-1252"); }
};

TEST_F(FrequencyListTest, CountsAndLeavesTheSourceSortedWithAnEmptyEntry) {
  TUnicodeStringList source = ListOf({u"b", u"a", u"b"});
  const TFrequencyList freq = CountDistinctTexts(source, true);
  ASSERT_EQ(freq.size(), 2u);
  EXPECT_EQ(freq[0].Text, u"b");
  EXPECT_EQ(freq[0].Count, 2);
  EXPECT_EQ(freq[1].Text, u"a");
  EXPECT_EQ(freq[1].Count, 1);
  EXPECT_EQ(source.JoinedText(), u"a\r\nb\r\nb\r\n\r\n");

  TUnicodeStringList empty_source;
  EXPECT_TRUE(CountDistinctTexts(empty_source, true).empty());
  EXPECT_EQ(empty_source.EntryCount(), 0);
}

TEST_F(FrequencyListTest, GroupingByTrimmedTextFoldingOnlyAToZ) {
  // The sort exchanges the two equal entries, so the group's last entry is "Abc".
  EXPECT_EQ(Count({u"Abc", u"abc"}), (Counted{{u"Abc", 2}}));
  // Accented letters are not folded: two entries, though the collation ties them.
  const Counted accented = Count({u"\u00C9t\u00E9", u"\u00E9t\u00E9"});
  ASSERT_EQ(accented.size(), 2u);
  EXPECT_NE(accented[0].first, accented[1].first);
  // The shown text is trimmed; texts of spaces only give no entry.
  EXPECT_EQ(Count({u" a", u"a", u"   ", u"\t"}), (Counted{{u"a", 2}}));
}

TEST_F(FrequencyListTest, AnEqualsSignIsTextLikeAnyOther) {
  EXPECT_EQ(Count({u"x=y", u"x=y"}), (Counted{{u"x=y", 2}}));
  EXPECT_EQ(Count({u"x=y", u"z", u"=", u"x=y"}), (Counted{{u"x=y", 2}, {u"z", 1}, {u"=", 1}}));
  EXPECT_EQ(Count({u"<hi rend=\"a\">W</hi>", u"k=1", u"k=1", u"k=1"}),
            (Counted{{u"k=1", 3}, {u"<hi rend=\"a\">W</hi>", 1}}));
}

// The collation ties a no-break space with a space, so the sort may put other texts between
// the members of one group; the group still gives one entry, at its last member's place.
TEST_F(FrequencyListTest, AGroupSplitByTheSortIsOneEntry) {
  const std::u16string nbsp = u"1 Mai\u00A01850";
  const std::u16string space = u"1 Mai 1850";
  Texts texts;
  for (int i = 0; i < 6; ++i) {
    texts.push_back(i % 2 == 0 ? space : nbsp);
    texts.push_back(u"1 mai 1850");
  }
  // The sort does scatter the no-break space texts.
  TUnicodeStringList sorted = ListOf(texts);
  sorted.SortByText();
  std::vector<int> nbsp_at;
  for (int i = 0; i < sorted.EntryCount(); ++i) {
    if (sorted.EntryAt(i) == nbsp) nbsp_at.push_back(i);
  }
  ASSERT_EQ(nbsp_at.size(), 3u);
  ASSERT_GT(nbsp_at.back() - nbsp_at.front(), 2);

  const Counted counted = Count(texts);
  ASSERT_EQ(counted.size(), 2u);
  EXPECT_EQ(counted[0].second + counted[1].second, 12);
  // The two keys: folded "1 mai 1850" (space: 3 + 6 entries) and the no-break space text.
  EXPECT_EQ(counted[0].second, 9);
  EXPECT_EQ(counted[1], (std::pair<std::u16string, int32_t>{nbsp, 3}));
}

TEST_F(FrequencyListTest, TiesFollowTheQuicksort) {
  EXPECT_EQ(Count({u"a", u"b"}), (Counted{{u"b", 1}, {u"a", 1}}));
  EXPECT_EQ(Count({u"c", u"a", u"b"}), (Counted{{u"c", 1}, {u"b", 1}, {u"a", 1}}));
  EXPECT_EQ(Count({u"d", u"b", u"a", u"c"}), (Counted{{u"c", 1}, {u"d", 1}, {u"a", 1}, {u"b", 1}}));
  EXPECT_EQ(Count({u"d", u"b", u"a", u"b", u"c", u"d", u"b"}),
            (Counted{{u"b", 3}, {u"d", 2}, {u"c", 1}, {u"a", 1}}));
  // Counts compare as numbers.
  Texts texts(9, u"a");
  texts.insert(texts.end(), 10, u"b");
  EXPECT_EQ(Count(texts), (Counted{{u"b", 10}, {u"a", 9}}));
}

// Reference: the list's own sort of "text=count" entries, reading the count back, as the
// frequency list was once kept. Texts without "=" must come out in exactly that order.
TEST_F(FrequencyListTest, OrderMatchesSortingTextCountEntriesByTheirCounts) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    Texts texts;
    Texts distinct_texts;
    const int distinct = 1 + static_cast<int>(random() % 40);
    for (int t = 0; t < distinct; ++t) {
      const std::u16string text{static_cast<char16_t>(u'a' + t / 26),
                                static_cast<char16_t>(u'a' + t % 26)};
      distinct_texts.push_back(text);
      const int copies = 1 + static_cast<int>(random() % 4);
      for (int c = 0; c < copies; ++c) texts.push_back(text);
    }
    std::shuffle(texts.begin(), texts.end(), random);

    TUnicodeStringList reference = ListOf(distinct_texts);
    reference.SortByText();
    TUnicodeStringList entries;
    for (int i = 0; i < reference.EntryCount(); ++i) {
      const std::u16string& text = reference.EntryAt(i);
      const auto copies = std::count(texts.begin(), texts.end(), text);
      const std::string digits = std::to_string(copies);
      entries.AddEntry(text + u"=" + std::u16string(digits.begin(), digits.end()));
    }
    entries.SortWith([](const TUnicodeStringList& list, int first, int second) {
      return std::stoi(ToNarrow(list.EntryValue(second))) -
             std::stoi(ToNarrow(list.EntryValue(first)));
    });

    const Counted actual = Count(texts);
    ASSERT_EQ(static_cast<int>(actual.size()), entries.EntryCount());
    for (int i = 0; i < entries.EntryCount(); ++i) {
      const std::string digits = std::to_string(actual[i].second);
      EXPECT_EQ(actual[i].first + u"=" + std::u16string(digits.begin(), digits.end()),
                entries.EntryAt(i))
          << "round " << round << ", entry " << i;
    }
  }
}

}  // namespace
}  // namespace farrowdale
