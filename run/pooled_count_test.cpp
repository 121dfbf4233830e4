#include "run/pooled_count.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "text/code_page.h"

namespace farrowdale {
namespace {

// One tag's one-file-mode record for a file with these passages.
TStatInfo FileRecord(std::vector<std::u16string> passages) {
  TUnicodeStringList source;
  for (const std::u16string& passage : passages) source.AddEntry(passage);
  TStatInfo info;
  info.Freq = source.EntryCount();
  info.Distinct = CountDistinctTexts(source, true);
  info.Count = static_cast<int32_t>(info.Distinct.size());
  for (int i = 0; i < info.Freq; ++i) info.Passages.push_back(source.EntryAt(i));
  return info;
}

class PooledCountTest : public ::testing::Test {
 protected:
  void SetUp() override { SetSystemCodePage("windows-1252"); }
};

TEST_F(PooledCountTest, SumsFrequenciesAndCountsWholePassagesOverAllFiles) {
  const TStatArrayArray results = {
      {FileRecord({u"x", u"x", u"first line\r\nsecond line"}), FileRecord({})},
      {FileRecord({u"X", u"x", u"x", u"first line\r\nsecond line"}), FileRecord({})},
      {FileRecord({}), FileRecord({u"k=v"})}};
  const std::vector<TTagTotals> totals = CountOverAllFiles(results);
  ASSERT_EQ(totals.size(), 2u);
  EXPECT_EQ(totals[0].Freq, 7);
  ASSERT_EQ(totals[0].Distinct.size(), 2u);
  EXPECT_EQ(totals[0].Distinct[0].Count, 5);
  EXPECT_EQ(totals[0].Distinct[1].Text, u"first line\r\nsecond line");
  EXPECT_EQ(totals[0].Distinct[1].Count, 2);
  EXPECT_EQ(totals[1].Freq, 1);
  ASSERT_EQ(totals[1].Distinct.size(), 1u);
  EXPECT_EQ(totals[1].Distinct[0].Text, u"k=v");

  EXPECT_TRUE(CountOverAllFiles({}).empty());
  EXPECT_THROW(CountOverAllFiles({{FileRecord({})}, {}}), std::invalid_argument);
}

// Single-line passages must come out exactly as the old recount gave them: each file's
// passages joined into lines, pooled and split into lines again. The empty lines among them
// take part in the sort and so decide which member of a group shows.
TEST_F(PooledCountTest, TieOrderIsThatOfTheLineSplitRecount) {
  std::mt19937 random(11);
  for (int round = 0; round < 100; ++round) {
    TStatArrayArray results;
    TUnicodeStringList old_pooled;
    const int files = 1 + static_cast<int>(random() % 8);
    for (int f = 0; f < files; ++f) {
      std::vector<std::u16string> passages;
      const int count = static_cast<int>(random() % 12);
      for (int p = 0; p < count; ++p) {
        // Letters in either case: which member of a group shows depends on the sort. Every
        // other round takes small letters only, which no collation tie joins.
        const bool capital = round % 2 == 0 && random() % 2 == 0;
        const char16_t letter = (capital ? u'A' : u'a') + random() % 4;
        passages.push_back(std::u16string(1, letter));
      }
      results.push_back({FileRecord(passages)});
      std::u16string joined;
      for (const std::u16string& passage : results.back()[0].Passages) joined += passage + u"\r\n";
      if (!passages.empty()) joined += u"\r\n";
      old_pooled.AddEntry(joined);
    }
    old_pooled.AssignText(old_pooled.JoinedText());
    const TFrequencyList expected = CountDistinctTexts(old_pooled, true);

    const TFrequencyList actual = CountOverAllFiles(results)[0].Distinct;
    ASSERT_EQ(actual.size(), expected.size()) << "round " << round;
    for (size_t i = 0; i < actual.size(); ++i) {
      EXPECT_EQ(actual[i].Text, expected[i].Text) << "round " << round << ", entry " << i;
      EXPECT_EQ(actual[i].Count, expected[i].Count) << "round " << round << ", entry " << i;
    }
  }
}

}  // namespace
}  // namespace farrowdale
