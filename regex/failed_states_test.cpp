#include "regex/failed_states.h"

#include <random>
#include <set>
#include <tuple>

#include "gtest/gtest.h"

namespace farrowdale::regex {
namespace {

// Random states against a plain set: cursors cluster around page and word edges, loop keys
// are 0 (the bit set) or not (the side table), and a search started again forgets them.
TEST(FailedStatesTest, AgreesWithAPlainSet) {
  constexpr int kRows = 3;
  constexpr int32_t kLength = 3 * (1 << FailedStates::kPageShift) + 100;
  const int32_t edges[] = {
      0, 63, 64, 1 << FailedStates::kPageShift, (1 << FailedStates::kPageShift) - 1, kLength};
  std::mt19937 rng(7);
  auto cursor = [&] {
    const int32_t edge = edges[rng() % std::size(edges)];
    const int32_t pos = edge + static_cast<int32_t>(rng() % 200) - 100;
    return std::clamp(pos, 0, kLength);
  };
  FailedStates states;
  for (int search = 0; search < 3; ++search) {
    states.Start(kRows, kLength);
    std::set<std::tuple<int, int32_t, uint64_t>> model;
    for (int step = 0; step < 20000; ++step) {
      const int row = static_cast<int>(rng() % kRows);
      const uint64_t key = rng() % 3 == 0 ? rng() % 4 : 0;
      const int32_t pos = cursor();
      if (rng() % 2 == 0) {
        ASSERT_EQ(states.Insert(row, pos, key), model.emplace(row, pos, key).second);
        continue;
      }
      const int32_t lowest = std::max(0, pos - static_cast<int32_t>(rng() % 300));
      int32_t expected = pos;
      while (expected >= lowest && model.count({row, expected, key}) != 0) --expected;
      ASSERT_EQ(states.HighestAbsent(row, pos, lowest, key), expected)
          << "row " << row << " key " << key << " [" << lowest << ", " << pos << "]";
    }
    // Only the pages written are held: a few of the subject's, not rows x length.
    EXPECT_LT(states.BytesHeld(), size_t{kRows} * 5 * 8192 + (size_t{1} << 20));
  }
  states.Release();
  EXPECT_EQ(states.BytesHeld(), 0u);
}

}  // namespace
}  // namespace farrowdale::regex
