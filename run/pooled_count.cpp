// The recount over all files, in memory: passages stay whole, line breaks and all, so a
// passage over several lines counts once, as it does in its own file.
#include "run/pooled_count.h"

#include <stdexcept>

namespace farrowdale {

void CheckOneEntryPerTag(const TStatArrayArray& results) {
  for (const TStatArray& file : results) {
    if (file.size() != results.front().size()) {
      throw std::invalid_argument("files with different tag counts");
    }
  }
}

std::vector<TTagTotals> CountOverAllFiles(const TStatArrayArray& results) {
  std::vector<TTagTotals> totals;
  if (results.empty()) return totals;
  CheckOneEntryPerTag(results);
  TUnicodeStringList pooled;
  for (size_t tag = 0; tag < results.front().size(); ++tag) {
    TTagTotals& total = totals.emplace_back();
    pooled.ClearEntries();
    for (const TStatArray& file : results) {
      const TStatInfo& info = file[tag];
      total.Freq += info.Freq;
      for (const std::u16string& passage : info.Passages) pooled.AddEntry(passage);
      if (!info.Passages.empty()) pooled.AddEntry(u"");
      pooled.AddEntry(u"");
    }
    total.Distinct = CountDistinctTexts(pooled, true);
  }
  return totals;
}

}  // namespace farrowdale
