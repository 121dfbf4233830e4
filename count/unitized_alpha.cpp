// Do in one pass per pair of coders: both continua are cut into segments that cover [0, L),
// so only segments that overlap can disagree, and walking the two sequences side by side
// meets each such pair once. De sums over the gaps longer than each unit with the gaps'
// lengths sorted once.
#include "count/unitized_alpha.h"

#include <algorithm>

namespace farrowdale {
namespace {

struct TSegment {
  int64_t begin = 0;
  int64_t end = 0;
  bool unit = false;
  double length() const { return static_cast<double>(end - begin); }
};

std::vector<TSegment> Segments(const std::vector<TInterval>& units, int64_t length) {
  std::vector<TSegment> segments;
  int64_t position = 0;
  for (const TInterval& unit : units) {
    if (unit.start > position) segments.push_back({position, unit.start, false});
    segments.push_back({unit.start, unit.end, true});
    position = unit.end;
  }
  if (length > position) segments.push_back({position, length, false});
  return segments;
}

bool Inside(const TSegment& inner, const TSegment& outer) {
  return outer.begin <= inner.begin && inner.end <= outer.end;
}

double SquaredDifference(const TSegment& g, const TSegment& h) {
  if (g.unit && h.unit) {
    const double begins = static_cast<double>(g.begin - h.begin);
    const double ends = static_cast<double>(g.end - h.end);
    return begins * begins + ends * ends;
  }
  if (g.unit && !h.unit && Inside(g, h)) return g.length() * g.length();
  if (h.unit && !g.unit && Inside(h, g)) return h.length() * h.length();
  return 0;
}

// sum_g sum_h d2(g,h) over one pair of coders: the overlapping segments, in order.
double PairDifferences(const std::vector<TSegment>& a, const std::vector<TSegment>& b) {
  double sum = 0;
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    sum += SquaredDifference(a[i], b[j]);
    const int64_t a_end = a[i].end;
    const int64_t b_end = b[j].end;
    if (a_end <= b_end) ++i;
    if (b_end <= a_end) ++j;
  }
  return sum;
}

}  // namespace

TUnitizedDisagreement UnitizedDisagreement(const std::vector<std::vector<TInterval>>& coders,
                                           int64_t length) {
  TUnitizedDisagreement result;
  if (length <= 0 || coders.size() < 2) return result;
  const double m = static_cast<double>(coders.size());
  const double L = static_cast<double>(length);

  std::vector<std::vector<TSegment>> segments;
  for (const std::vector<TInterval>& units : coders) segments.push_back(Segments(units, length));
  double differences = 0;
  for (size_t i = 0; i < segments.size(); ++i) {
    for (size_t j = i + 1; j < segments.size(); ++j) {
      differences += 2 * PairDifferences(segments[i], segments[j]);  // d2 is symmetric
    }
  }
  result.observed = differences / (m * (m - 1) * L * L);

  std::vector<double> unit_lengths;
  std::vector<double> gap_lengths;
  for (const std::vector<TSegment>& coder : segments) {
    for (const TSegment& segment : coder) {
      (segment.unit ? unit_lengths : gap_lengths).push_back(segment.length());
    }
  }
  std::sort(gap_lengths.begin(), gap_lengths.end());
  // gap_sums[k]: the lengths of gap_lengths[k..] added up.
  std::vector<double> gap_sums(gap_lengths.size() + 1, 0);
  for (size_t k = gap_lengths.size(); k-- > 0;) gap_sums[k] = gap_sums[k + 1] + gap_lengths[k];

  const double units = static_cast<double>(unit_lengths.size());
  double numerator = 0;
  double unit_pairs = 0;
  for (const double l : unit_lengths) {
    const size_t first = static_cast<size_t>(
        std::lower_bound(gap_lengths.begin(), gap_lengths.end(), l) - gap_lengths.begin());
    const double longer_gaps = static_cast<double>(gap_lengths.size() - first);
    const double gap_room = gap_sums[first] - longer_gaps * (l - 1);
    numerator += (units - 1) * (2 * l * l * l - 3 * l * l + l) / 3 + l * l * gap_room;
    unit_pairs += l * (l - 1);
  }
  const double denominator = m * L * (m * L - 1) - unit_pairs;
  if (denominator > 0) result.expected = (2 / L) * numerator / denominator;
  return result;
}

std::optional<double> UnitizedAlpha(const TUnitizedDisagreement& disagreement) {
  if (disagreement.expected <= 0) return std::nullopt;
  return 1 - disagreement.observed / disagreement.expected;
}

}  // namespace farrowdale
