#include "run/distinct_passages.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "text/code_page.h"
#include "text/collation.h"
#include "text/unicode_string_list.h"

namespace farrowdale {
namespace {

// Every occurrence, sorted by the list's own quicksort.
std::vector<std::u16string> QuicksortedOccurrences(const std::vector<std::string>& passages,
                                                   bool match_case) {
  TUnicodeStringList list;
  for (const std::string& passage : passages) list.AddEntry(ToUnicode(passage));
  list.SetMatchCase(match_case);
  list.SortByText();
  std::vector<std::u16string> sorted;
  for (int i = 0; i < list.EntryCount(); ++i) sorted.push_back(list.EntryAt(i));
  return sorted;
}

// Random multisets of passages, some with letters in both cases, accents and a no-break
// space (which ties with nothing but is often taken for a space), some with a control
// character or U+FFFD from a broken byte (which the collation may ignore): whenever the
// distinct passages have no tie the sorted tally, expanded, is the quicksort of every
// occurrence; and it has a tie whenever the quicksort puts two different texts next to each
// other that compare equal.
TEST(DistinctPassagesTest, SortedTallyIsTheQuicksortOfEveryOccurrenceWhenNothingTies) {
  SetSystemCodePage("UTF-8");
  const std::vector<std::string> pieces = {"a", "A",        "b",    "\xc3\xa9", "\xc3\x89", "e",
                                           " ", "\xc2\xa0", "\x01", "\xff",     "z",        "ab"};
  std::mt19937 rng(3);
  int without_ties = 0;
  for (int round = 0; round < 3000; ++round) {
    const bool match_case = rng() % 2 == 0;
    std::vector<std::string> passages(1 + rng() % 30);
    const size_t alphabet = 3 + rng() % (pieces.size() - 2);
    for (std::string& passage : passages) {
      for (size_t n = 1 + rng() % 3; n > 0; --n) passage += pieces[rng() % alphabet];
    }
    std::vector<std::string_view> views(passages.begin(), passages.end());
    std::vector<TTalliedPassage> tally = TallyPassages(views);
    int32_t total = 0;
    for (const TTalliedPassage& passage : tally) total += passage.Occurrences;
    ASSERT_EQ(total, static_cast<int32_t>(passages.size()));

    const std::vector<std::u16string> want = QuicksortedOccurrences(passages, match_case);
    bool want_tie = false;
    for (size_t i = 1; i < want.size(); ++i) {
      want_tie |= want[i - 1] != want[i] && CompareText(want[i - 1], want[i], match_case) == 0;
    }
    if (!SortByCollationWithoutTies(tally, match_case)) {
      EXPECT_TRUE(want_tie) << "round " << round;
      continue;
    }
    ++without_ties;
    std::vector<std::u16string> expanded;
    for (const TTalliedPassage& passage : tally) {
      expanded.insert(expanded.end(), passage.Occurrences, passage.Text);
    }
    ASSERT_EQ(expanded, want) << "round " << round;
  }
  EXPECT_GT(without_ties, 500);
}

}  // namespace
}  // namespace farrowdale
