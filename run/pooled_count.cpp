// The recount over all files, in memory: passages stay whole, line breaks and all, so a
// passage over several lines counts once, as it does in its own file.
#include "run/pooled_count.h"

#include <optional>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include "run/distinct_passages.h"

namespace farrowdale {

void CheckOneEntryPerTag(const TStatArrayArray& results) {
  for (const TStatArray& file : results) {
    if (file.size() != results.front().size()) {
      throw std::invalid_argument("files with different tag counts");
    }
  }
}

namespace {

// One tag's pooled list counted without building it: when its distinct texts (the empty
// entries included, which take part in the sort) have no collation tie, the sorted pooled
// list is those texts in collation order, each repeated, whatever the order of the entries.
// Nothing when two of them tie.
std::optional<TFrequencyList> CountDistinctPooledTexts(const TStatArrayArray& results, size_t tag) {
  std::unordered_map<std::u16string_view, int32_t> occurrences;
  for (const TStatArray& file : results) {
    const TStatInfo& info = file[tag];
    for (const std::u16string& passage : info.Passages) ++occurrences[passage];
    occurrences[u""] += info.Passages.empty() ? 1 : 2;
  }
  std::vector<TTalliedPassage> distinct;
  distinct.reserve(occurrences.size());
  for (const auto& [text, count] : occurrences) distinct.push_back({std::u16string(text), count});
  if (!SortByCollationWithoutTies(distinct, /*match_case=*/false)) return std::nullopt;
  return GroupSortedPassages(distinct);
}

}  // namespace

std::vector<TTagTotals> CountOverAllFiles(const TStatArrayArray& results) {
  std::vector<TTagTotals> totals;
  if (results.empty()) return totals;
  CheckOneEntryPerTag(results);
  TUnicodeStringList pooled;
  for (size_t tag = 0; tag < results.front().size(); ++tag) {
    TTagTotals& total = totals.emplace_back();
    for (const TStatArray& file : results) total.Freq += file[tag].Freq;
    if (std::optional<TFrequencyList> distinct = CountDistinctPooledTexts(results, tag)) {
      total.Distinct = std::move(*distinct);
      continue;
    }
    pooled.ClearEntries();
    for (const TStatArray& file : results) {
      const TStatInfo& info = file[tag];
      for (const std::u16string& passage : info.Passages) pooled.AddEntry(passage);
      if (!info.Passages.empty()) pooled.AddEntry(u"");
      pooled.AddEntry(u"");
    }
    total.Distinct = CountDistinctTexts(pooled, true);
  }
  return totals;
}

}  // namespace farrowdale
