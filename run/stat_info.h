// The result records of a coding run: one TStatInfo per tag and file.
#ifndef FARROWDALE_RUN_STAT_INFO_H_
#define FARROWDALE_RUN_STAT_INFO_H_

#include <cstdint>
#include <string>
#include <vector>

#include "run/frequency_list.h"

namespace farrowdale {

struct TStatInfo {
  std::string Name;         // the tag's name
  std::string Markers;      // BeginMark + "..." + EndMark
  std::string Color;        // the tag's colour text, RRGGBB
  int32_t Freq = 0;         // texts extracted, every occurrence counted
  int32_t Count = 0;        // distinct texts: Distinct's size
  TFrequencyList Distinct;  // the distinct texts, most frequent first
  // One-file mode only (empty otherwise): every extracted text, whole, in the collation
  // order CountDistinctTexts left them, for the recount over all files.
  std::vector<std::u16string> Passages;
};

using TStatArray = std::vector<TStatInfo>;        // one file, in tag order
using TStatArrayArray = std::vector<TStatArray>;  // all ticked files, in list order

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_STAT_INFO_H_
