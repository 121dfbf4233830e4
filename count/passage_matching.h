// Passage matching: which passages of one tag two coders both marked. A passage of A matches
// one of B when their overlap is at least min_overlap of their union (two empty passages at
// one place are the same passage); each passage matches at most one, the pairs with the
// largest overlap taken first.
#ifndef FARROWDALE_COUNT_PASSAGE_MATCHING_H_
#define FARROWDALE_COUNT_PASSAGE_MATCHING_H_

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "count/coded_intervals.h"

namespace farrowdale {

inline constexpr double kDefaultMinOverlap = 0.9;

struct TPassageMatching {
  int64_t matched = 0;
  int64_t a_only = 0;
  int64_t b_only = 0;
  // The matched pairs as (index in a, index in b).
  std::vector<std::pair<size_t, size_t>> pairs;
};

// a, b: each coder's passages, in any order, not merged. REQUIRES: 0 < min_overlap <= 1.
TPassageMatching MatchPassages(const std::vector<TInterval>& a, const std::vector<TInterval>& b,
                               double min_overlap = kDefaultMinOverlap);

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_PASSAGE_MATCHING_H_
