// The result records of a coding run: one TStatInfo per tag and file. Data only; count/
// fills them, the reports render them.
#ifndef FARROWDALE_RESULTS_STAT_INFO_H_
#define FARROWDALE_RESULTS_STAT_INFO_H_

#include <cstdint>
#include <string>
#include <vector>

#include "results/frequency_entry.h"

namespace farrowdale {

// Equal entries in a row of a list sorted by collation: which passage, and how many entries.
struct TPassageRun {
  uint32_t Id = 0;
  int32_t Entries = 0;
};

// One tag's passages in one file, as the one-file mode keeps them for the recount over all
// files: the sorted list of every extracted text, as runs naming Texts by position.
struct TFilePassages {
  std::vector<std::u16string> Texts;  // each distinct passage once
  std::vector<TPassageRun> Runs;      // in the collation order CountDistinctTexts gives
};

struct TStatInfo {
  std::string Name;         // the tag's name
  std::string Markers;      // BeginMark + "..." + EndMark
  std::string Color;        // the tag's colour text, RRGGBB
  int32_t Freq = 0;         // texts extracted, every occurrence counted
  int32_t Count = 0;        // distinct texts: Distinct's size
  TFrequencyList Distinct;  // the distinct texts, most frequent first
  // One-file mode only (empty otherwise), until the run pools it (TPooledPassages).
  TFilePassages Passages;
};

using TStatArray = std::vector<TStatInfo>;        // one file, in tag order
using TStatArrayArray = std::vector<TStatArray>;  // all ticked files, in list order

}  // namespace farrowdale

#endif  // FARROWDALE_RESULTS_STAT_INFO_H_
