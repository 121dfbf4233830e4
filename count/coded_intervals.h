// One coder's coding of one tag as intervals of a text of `length` characters, and the
// character counts the agreement measures rest on.
//
// Intervals are half-open [start, end) in characters. A coder's overlapping passages of one
// tag are one stretch of coded text: MergedIntervals joins them (intervals that only touch stay
// apart, as two units side by side).
#ifndef FARROWDALE_COUNT_CODED_INTERVALS_H_
#define FARROWDALE_COUNT_CODED_INTERVALS_H_

#include <cstdint>
#include <vector>

namespace farrowdale {

struct TInterval {
  int64_t start = 0;
  int64_t end = 0;
  bool operator==(const TInterval&) const = default;
};

// Sorted by start, overlapping intervals joined, empty ones left out.
std::vector<TInterval> MergedIntervals(std::vector<TInterval> intervals);

// The characters the intervals cover. REQUIRES: merged (MergedIntervals).
int64_t CoveredLength(const std::vector<TInterval>& merged);

// For m coders' merged intervals: how many characters of [0, length) exactly j coders code,
// for j = 0..m. REQUIRES: every interval inside [0, length).
std::vector<int64_t> CoderCountHistogram(const std::vector<std::vector<TInterval>>& merged,
                                         int64_t length);

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_CODED_INTERVALS_H_
