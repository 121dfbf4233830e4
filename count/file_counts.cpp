#include "count/file_counts.h"

#include <string_view>
#include <utility>

#include "count/distinct_passages.h"
#include "count/passage_occurrences.h"

namespace farrowdale {
namespace {

// One tag's counts in one file: Freq, Distinct, Count and, in one-file mode, Passages in
// collation order. Each distinct passage is converted and collated once; only when two
// different passages tie under the collation does the order depend on the list's quicksort
// of every occurrence, which then runs over ids.
void CountPassages(const std::vector<std::string_view>& passages, bool one_file_mode,
                   ELetterCase letter_case, TStatInfo& stat) {
  stat.Freq = static_cast<int32_t>(passages.size());
  TPassageTally tally = TallyPassages(passages);
  bool texts_tie = false;
  std::vector<TPassageRun> runs = SortLikeTheList(tally, texts_tie);
  stat.Distinct = GroupPassageRuns(runs, tally, texts_tie, letter_case);
  if (one_file_mode) stat.Passages = {tally.Texts(), std::move(runs)};
  stat.Count = static_cast<int32_t>(stat.Distinct.size());
}

}  // namespace

TStatArray CountTagsInSpans(const std::string& narrow_text, const TTagArray& tag_set,
                            const std::vector<std::vector<TPassageSpan>>& spans, bool one_file_mode,
                            TPassageGrouping grouping) {
  TStatArray stats;
  for (const TTagInfo& tag : tag_set) {
    if (IsSkippedTag(tag)) continue;
    TStatInfo& stat = stats.emplace_back();
    stat.Name = tag.Name;
    stat.Markers = tag.BeginMark + "..." + tag.EndMark;
    stat.Color = tag.Color;
    std::vector<std::string_view> passages = TrimmedPassages(narrow_text, spans[stats.size() - 1]);
    std::vector<std::string> folded;  // owns the passages while they are counted
    if (grouping.spacing == ESpacing::kFolded) {
      for (const std::string_view passage : passages) folded.push_back(FoldedSpaces(passage));
      passages.assign(folded.begin(), folded.end());
    }
    CountPassages(passages, one_file_mode, grouping.letter_case, stat);
  }
  return stats;
}

}  // namespace farrowdale
