// A frequency list: the distinct passages of one tag with their counts, most frequent first.
// Data only; count/frequency_list.h groups and orders them, the reports render them.
#ifndef FARROWDALE_RESULTS_FREQUENCY_ENTRY_H_
#define FARROWDALE_RESULTS_FREQUENCY_ENTRY_H_

#include <cstdint>
#include <string>
#include <vector>

namespace farrowdale {

struct TFrequencyEntry {
  std::u16string Text;  // the group's representative, trimmed, never empty
  int32_t Count = 0;    // the entries of its group, at least 1
};

using TFrequencyList = std::vector<TFrequencyEntry>;

}  // namespace farrowdale

#endif  // FARROWDALE_RESULTS_FREQUENCY_ENTRY_H_
