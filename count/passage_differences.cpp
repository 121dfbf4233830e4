#include "count/passage_differences.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

namespace farrowdale {
namespace {

// A difference before its text is written out: the passage's index on each side.
struct TFound {
  int64_t start = 0;
  std::optional<size_t> a;
  std::optional<size_t> b;
};

std::string Utf8Of(std::u32string_view text, int64_t from, int64_t to) {
  return CodePointsUtf8(
      text.substr(static_cast<size_t>(from), static_cast<size_t>(std::max<int64_t>(0, to - from))));
}

TPassageSide Side(const TStrippedText& copy, const TInterval& passage) {
  const std::u32string_view text = copy.text;
  const int64_t size = static_cast<int64_t>(text.size());
  TPassageSide side;
  side.place = copy.OriginalPlace(passage.start);
  side.before =
      Utf8Of(text, std::max<int64_t>(0, passage.start - kDifferenceContext), passage.start);
  side.after = Utf8Of(text, passage.end, std::min(size, passage.end + kDifferenceContext));
  if (passage.end - passage.start <= kLongestWholePassage) {
    side.passage.head = Utf8Of(text, passage.start, passage.end);
  } else {
    side.passage.head = Utf8Of(text, passage.start, passage.start + kExcerptEdge);
    side.passage.omitted = passage.end - passage.start - 2 * kExcerptEdge;
    side.passage.tail = Utf8Of(text, passage.end - kExcerptEdge, passage.end);
  }
  return side;
}

}  // namespace

TTagDifferences PassageDifferences(std::string tag, const TStrippedText& a, const TStrippedText& b,
                                   const std::vector<TInterval>& a_passages,
                                   const std::vector<TInterval>& b_passages,
                                   const TPassageMatching& matching) {
  std::vector<TFound> found;
  std::vector<bool> a_matched(a_passages.size(), false);
  std::vector<bool> b_matched(b_passages.size(), false);
  for (const auto& [i, j] : matching.pairs) {
    a_matched[i] = b_matched[j] = true;
    if (a_passages[i] != b_passages[j]) {
      found.push_back({std::min(a_passages[i].start, b_passages[j].start), i, j});
    }
  }
  for (size_t i = 0; i < a_passages.size(); ++i) {
    if (!a_matched[i]) found.push_back({a_passages[i].start, i, std::nullopt});
  }
  for (size_t j = 0; j < b_passages.size(); ++j) {
    if (!b_matched[j]) found.push_back({b_passages[j].start, std::nullopt, j});
  }
  // In text order; at one place A's alone, then a pair, then B's alone.
  const auto rank = [](const TFound& f) { return f.b ? (f.a ? 1 : 2) : 0; };
  std::stable_sort(found.begin(), found.end(), [&](const TFound& x, const TFound& y) {
    return std::pair(x.start, rank(x)) < std::pair(y.start, rank(y));
  });

  TTagDifferences differences{std::move(tag), static_cast<int64_t>(found.size()), {}};
  const size_t listed = std::min<size_t>(found.size(), kListedDifferencesPerTag);
  for (size_t k = 0; k < listed; ++k) {
    TPassageDifference difference;
    if (found[k].a) difference.a = Side(a, a_passages[*found[k].a]);
    if (found[k].b) difference.b = Side(b, b_passages[*found[k].b]);
    differences.listed.push_back(std::move(difference));
  }
  return differences;
}

}  // namespace farrowdale
