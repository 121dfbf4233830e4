// The combined report's totals: each tag's passages recounted over all files at once.
//
// The one-file mode adds each file's records as the run counts them. Each distinct passage
// is kept once for the whole run (TPassageTable); per file and tag only the file's sorted
// list as runs of ids. Memory is one copy of the distinct passages plus a few bytes per
// distinct passage of each file, whatever the number of occurrences.
#ifndef FARROWDALE_RUN_POOLED_COUNT_H_
#define FARROWDALE_RUN_POOLED_COUNT_H_

#include <cstdint>
#include <vector>

#include "run/frequency_list.h"
#include "run/passage_table.h"
#include "run/stat_info.h"

namespace farrowdale {

struct TTagTotals {
  int64_t Freq = 0;         // the files' Freq summed
  TFrequencyList Distinct;  // the distinct passages over all files, most frequent first
};

// Throws std::invalid_argument unless every file holds one entry per tag (as many as the
// first file).
void CheckOneEntryPerTag(const TStatArrayArray& results);

class TPooledPassages {
 public:
  // Takes the Passages of a file's one-file-mode records (leaving them empty) and their Freq.
  // Throws std::invalid_argument when the file has not one record per tag of the first file.
  void AddFile(TStatArray& file);

  // The totals of every tag, in tag order; none before a file was added. Each tag's pooled
  // list is, file after file, the file's passages in their sorted order, then an empty entry
  // when it had any, then one more empty entry; CountDistinctTexts with case folding counts
  // it. Those empty entries take part in the collation sort, so they decide tie orders.
  std::vector<TTagTotals> CountOverAllFiles() const;

 private:
  TTagTotals CountTag(size_t tag) const;

  struct TTagRuns {
    int64_t freq = 0;
    std::vector<TPassageRun> runs;  // every file's runs, ids into table_, file after file
    std::vector<size_t> file_ends;  // per file: the end of its runs in runs
  };
  TPassageTable table_;
  std::vector<TTagRuns> tags_;
  size_t files_ = 0;
};

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_POOLED_COUNT_H_
