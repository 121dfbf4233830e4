// The result records of a coding run: one TStatInfo per tag and file.
#ifndef FARROWDALE_RUN_STAT_INFO_H_
#define FARROWDALE_RUN_STAT_INFO_H_

#include <cstdint>
#include <string>
#include <vector>

namespace farrowdale {

struct TStatInfo {
  std::string Name;     // the tag's name
  std::string Markers;  // BeginMark + "..." + EndMark
  std::string Color;    // the tag's colour text, RRGGBB
  int32_t Freq = 0;     // texts extracted, every occurrence counted
  int32_t Count = 0;    // distinct texts
  // Per-file mode: the hit list. One-file mode: the extracted texts, one per line.
  std::u16string Texts;
};

using TStatArray = std::vector<TStatInfo>;        // one file, in tag order
using TStatArrayArray = std::vector<TStatArray>;  // all ticked files, in list order

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_STAT_INFO_H_
