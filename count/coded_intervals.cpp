#include "count/coded_intervals.h"

#include <algorithm>
#include <utility>

namespace farrowdale {

std::vector<TInterval> MergedIntervals(std::vector<TInterval> intervals) {
  std::sort(intervals.begin(), intervals.end(), [](const TInterval& a, const TInterval& b) {
    return a.start != b.start ? a.start < b.start : a.end < b.end;
  });
  std::vector<TInterval> merged;
  for (const TInterval& interval : intervals) {
    if (interval.start >= interval.end) continue;
    if (!merged.empty() && interval.start < merged.back().end) {
      merged.back().end = std::max(merged.back().end, interval.end);
    } else {
      merged.push_back(interval);
    }
  }
  return merged;
}

int64_t CoveredLength(const std::vector<TInterval>& merged) {
  int64_t length = 0;
  for (const TInterval& interval : merged) length += interval.end - interval.start;
  return length;
}

std::vector<int64_t> CoderCountHistogram(const std::vector<std::vector<TInterval>>& merged,
                                         int64_t length) {
  // A sweep over the interval edges: +1 where a coder's stretch starts, -1 where it ends.
  std::vector<std::pair<int64_t, int>> edges;
  for (const std::vector<TInterval>& coder : merged) {
    for (const TInterval& interval : coder) {
      edges.emplace_back(interval.start, 1);
      edges.emplace_back(interval.end, -1);
    }
  }
  std::sort(edges.begin(), edges.end());
  std::vector<int64_t> histogram(merged.size() + 1, 0);
  int64_t position = 0;
  size_t coding = 0;
  for (const auto& [at, step] : edges) {
    histogram[coding] += at - position;
    position = at;
    coding = static_cast<size_t>(static_cast<int64_t>(coding) + step);
  }
  histogram[coding] += length - position;
  return histogram;
}

}  // namespace farrowdale
