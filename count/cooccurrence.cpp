#include "count/cooccurrence.h"

#include <algorithm>
#include <vector>

namespace farrowdale {
namespace {

void Classify(const TInterval& a, const TInterval& b, TPairCounts& counts) {
  if (std::max(a.start, b.start) >= std::min(a.end, b.end)) return;  // no shared character
  if (a.start == b.start && a.end == b.end) {
    ++counts.identical;
  } else if (b.start <= a.start && a.end <= b.end) {
    ++counts.a_inside_b;
  } else if (a.start <= b.start && b.end <= a.end) {
    ++counts.b_inside_a;
  } else {
    ++counts.crossing;
  }
}

}  // namespace

TPairCounts CountPairs(std::span<const TInterval> a, std::span<const TInterval> b) {
  TPairCounts counts;
  counts.a_passages = static_cast<int64_t>(a.size());
  counts.b_passages = static_cast<int64_t>(b.size());
  // Both lists ascend in start and end alike, so the B intervals that an A interval can meet
  // are a run that only moves forward: those ending at or before its start meet no later one.
  size_t first = 0;
  for (const TInterval& x : a) {
    while (first < b.size() && b[first].end <= x.start) ++first;
    for (size_t k = first; k < b.size() && b[k].start < x.end; ++k) Classify(x, b[k], counts);
  }
  return counts;
}

TCooccurrenceMatrix CountCooccurrence(const std::vector<std::vector<TInterval>>& intervals,
                                      const TTagArray& tag_set) {
  std::vector<size_t> counted;
  for (size_t t = 0; t < tag_set.size(); ++t) {
    if (!IsSkippedTag(tag_set[t])) counted.push_back(t);
  }
  TCooccurrenceMatrix matrix(counted.size());
  for (size_t a = 0; a < counted.size(); ++a) {
    for (size_t b = a + 1; b < counted.size(); ++b) {
      const TPairCounts counts = CountPairs(intervals.at(counted[a]), intervals.at(counted[b]));
      matrix.At(a, b) = counts;
      matrix.At(b, a) = counts.Mirrored();
    }
  }
  return matrix;
}

}  // namespace farrowdale
