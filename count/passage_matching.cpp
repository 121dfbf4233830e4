#include "count/passage_matching.h"

#include <algorithm>
#include <tuple>

namespace farrowdale {
namespace {

struct TCandidate {
  int64_t overlap = 0;
  size_t a = 0;
  size_t b = 0;
};

bool Qualifies(const TInterval& a, const TInterval& b, double min_overlap, int64_t& overlap) {
  overlap = std::max<int64_t>(0, std::min(a.end, b.end) - std::max(a.start, b.start));
  if (a == b) return true;
  const int64_t united = std::max(a.end, b.end) - std::min(a.start, b.start);
  return overlap > 0 && static_cast<double>(overlap) >= min_overlap * static_cast<double>(united);
}

}  // namespace

TPassageMatching MatchPassages(const std::vector<TInterval>& a, const std::vector<TInterval>& b,
                               double min_overlap) {
  // B by start, with the largest end so far: the B passages that can reach an A passage
  // start after the last one whose running largest end stays at or before its start.
  std::vector<size_t> by_start(b.size());
  for (size_t j = 0; j < b.size(); ++j) by_start[j] = j;
  std::sort(by_start.begin(), by_start.end(),
            [&](size_t x, size_t y) { return b[x].start < b[y].start; });
  std::vector<int64_t> reach(b.size());
  for (size_t k = 0; k < by_start.size(); ++k) {
    reach[k] = std::max(k > 0 ? reach[k - 1] : b[by_start[k]].end, b[by_start[k]].end);
  }

  std::vector<TCandidate> candidates;
  for (size_t i = 0; i < a.size(); ++i) {
    // The first B whose running largest end reaches past the start (or to it, for an empty
    // passage that can only match its equal).
    size_t k = static_cast<size_t>(std::lower_bound(reach.begin(), reach.end(), a[i].start) -
                                   reach.begin());
    for (; k < by_start.size() && b[by_start[k]].start <= a[i].end; ++k) {
      int64_t overlap = 0;
      if (Qualifies(a[i], b[by_start[k]], min_overlap, overlap)) {
        candidates.push_back({overlap, i, by_start[k]});
      }
    }
  }
  std::sort(candidates.begin(), candidates.end(), [](const TCandidate& x, const TCandidate& y) {
    return std::tie(y.overlap, x.a, x.b) < std::tie(x.overlap, y.a, y.b);
  });
  std::vector<bool> a_taken(a.size(), false);
  std::vector<bool> b_taken(b.size(), false);
  TPassageMatching result;
  for (const TCandidate& candidate : candidates) {
    if (a_taken[candidate.a] || b_taken[candidate.b]) continue;
    a_taken[candidate.a] = b_taken[candidate.b] = true;
    result.pairs.emplace_back(candidate.a, candidate.b);
  }
  result.matched = static_cast<int64_t>(result.pairs.size());
  result.a_only = static_cast<int64_t>(a.size()) - result.matched;
  result.b_only = static_cast<int64_t>(b.size()) - result.matched;
  return result;
}

}  // namespace farrowdale
