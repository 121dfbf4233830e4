// Krippendorff's unitized alpha for one category (a tag) on a continuum of L characters,
// coded by m coders. Each coder's continuum is a sequence of segments: the coder's units (its
// merged passages) and the gaps between them. For a segment g of one coder and h of another,
// with begin b and length l:
//   d2(g,h) = (b_g - b_h)^2 + (b_g + l_g - b_h - l_h)^2   two units that overlap
//           = l_g^2                                      unit g inside gap h
//           = l_h^2                                      unit h inside gap g
//           = 0                                          otherwise
//   Do = sum_{i != j} sum_g sum_h d2(g,h) / (m (m - 1) L^2)
//   De = (2/L) sum_units [(N_c - 1)(2l^3 - 3l^2 + l)/3 + l^2 sum_{gaps, l_g >= l} (l_g - l + 1)]
//        / (m L (m L - 1) - sum_units l (l - 1))
// where the sums over units and gaps run over every coder's, and N_c is the number of units.
// alpha = 1 - Do/De; over several tags, 1 - sum Do / sum De.
#ifndef FARROWDALE_COUNT_UNITIZED_ALPHA_H_
#define FARROWDALE_COUNT_UNITIZED_ALPHA_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "count/coded_intervals.h"

namespace farrowdale {

struct TUnitizedDisagreement {
  double observed = 0;  // Do
  double expected = 0;  // De
  TUnitizedDisagreement& operator+=(const TUnitizedDisagreement& other) {
    observed += other.observed;
    expected += other.expected;
    return *this;
  }
};

// coders[i]: coder i's units. REQUIRES: at least two coders, each coder's units merged
// (MergedIntervals) and inside [0, length).
TUnitizedDisagreement UnitizedDisagreement(const std::vector<std::vector<TInterval>>& coders,
                                           int64_t length);

// 1 - Do/De; none when De = 0 (an empty continuum, or nobody coded anything).
std::optional<double> UnitizedAlpha(const TUnitizedDisagreement& disagreement);

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_UNITIZED_ALPHA_H_
