// The combined report's totals (results/tag_totals.h): each tag's passages recounted over
// all files at once.
//
// The one-file mode adds each file's records as the run counts them. Each distinct passage
// is kept once for the whole run (TPassageTable); per file and tag only the file's sorted
// list as runs of ids. Memory is one copy of the distinct passages plus a few bytes per
// distinct passage of each file, whatever the number of occurrences. Once every file is in,
// CountTotals turns the pool into every tag's totals and releases it, all but the texts: the
// totals' frequency lists name the table's one copy of each distinct passage.
#ifndef FARROWDALE_COUNT_POOLED_COUNT_H_
#define FARROWDALE_COUNT_POOLED_COUNT_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "count/passage_table.h"
#include "results/stat_info.h"
#include "results/tag_totals.h"
#include "text/passage_grouping.h"

namespace farrowdale {

class TPooledPassages final : public TTagTotalsView {
 public:
  // Totals are grouped with letter_case as a file's counts are.
  explicit TPooledPassages(ELetterCase letter_case = ELetterCase::kAsciiOnly)
      : letter_case_(letter_case) {}

  // Takes the Passages of a file's one-file-mode records (leaving them empty) and their Freq.
  // Throws std::invalid_argument when the file has not one record per tag of the first file,
  // std::logic_error after CountTotals, std::length_error beyond 2^31 distinct passages.
  void AddFile(TStatArray& file);

  // Counts every tag's totals once all files are added and releases the pool; Totals then
  // reads them. The tag's pooled list is, file after file, the file's passages in their
  // sorted order, then an empty entry when it had any, then one more empty entry;
  // CountDistinctTexts with case folding counts it. Those empty entries take part in the
  // collation sort, so they decide tie orders.
  void CountTotals();

  // The number of tags: that of the first file's records; 0 before a file was added.
  size_t tag_count() const override { return tags_.size(); }
  // One tag's totals as CountTotals counted them. Throws std::logic_error before CountTotals.
  // REQUIRES: tag < tag_count().
  const TTagTotals& Totals(size_t tag) const override;

 private:
  struct TTagRuns {
    int64_t freq = 0;
    // Every file's runs, ids into table_, file after file, grown without copying; 4 bytes
    // for a run of one entry, the id with kCountFollows set and the entries for a longer one.
    std::deque<uint32_t> runs;
    std::vector<size_t> file_ends;  // per file: the end of its runs in runs
  };
  static constexpr uint32_t kCountFollows = uint32_t{1} << 31;
  TTagTotals CountTag(TTagRuns pooled) const;

  ELetterCase letter_case_;
  TPassageTable table_;
  std::vector<TTagRuns> tags_;
  size_t files_ = 0;
  bool counted_ = false;
  std::vector<TTagTotals> totals_;  // per tag, once counted
};

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_POOLED_COUNT_H_
