// The combined report's totals: each tag's passages recounted over all files at once.
#ifndef FARROWDALE_RUN_POOLED_COUNT_H_
#define FARROWDALE_RUN_POOLED_COUNT_H_

#include <cstdint>
#include <vector>

#include "run/frequency_list.h"
#include "run/stat_info.h"

namespace farrowdale {

struct TTagTotals {
  int64_t Freq = 0;         // the files' Freq summed
  TFrequencyList Distinct;  // the distinct passages over all files, most frequent first
};

// Throws std::invalid_argument unless every file holds one entry per tag (as many as the
// first file).
void CheckOneEntryPerTag(const TStatArrayArray& results);

// One TTagTotals per tag (per entry of the first file), from the one-file mode's Passages.
// Each tag's pooled list is, file after file, the file's Passages, then an empty entry when
// it had any, then one more empty entry; CountDistinctTexts with case folding counts it.
// Those empty entries take part in the collation sort, so they decide tie orders.
std::vector<TTagTotals> CountOverAllFiles(const TStatArrayArray& results);

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_POOLED_COUNT_H_
