// The combined report's totals (results/tag_totals.h): each tag's passages recounted over
// all files at once.
//
// The one-file mode adds each file's records as the run counts them. Each distinct passage
// is kept once for the whole run (TPassageTable); per file and tag only the file's sorted
// list as runs naming where the passages are kept. Memory is one copy of the distinct
// passages plus a few bytes per distinct passage of each file (one where a file brings
// passages no file had before), whatever the number of occurrences. Once every file is in,
// CountTotals turns the pool into every tag's totals and releases it, all but the texts: the
// totals' frequency lists name the table's one copy of each distinct passage, and while a
// tag is counted it holds 8 bytes per distinct passage besides.
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
    // Every file's runs, file after file, grown without copying. A run is the place of its
    // text in the table's blocks less the place of the run before (zigzag coded, doubled, and
    // 1 added when the run has more than one entry), then, for more than one, its entries;
    // each number in 7-bit groups, low first, the high bit set on all but the last. A file's
    // new passages are kept one after another in the order of its runs, so that each of
    // their runs takes one or two bytes.
    std::deque<uint8_t> runs;
    uint32_t last_place = 0;        // the place of the last run added
    std::vector<size_t> file_ends;  // per file: the end of its runs in runs
  };
  // Appends a run of entries of the text kept at place.
  static void AddRun(TTagRuns& pooled, uint32_t place, int32_t entries);
  // Calls visit(place, entries, the run's first byte in runs) for each run of pooled, in order.
  template <typename Visit>
  static void ForEachRun(const TTagRuns& pooled, Visit visit);
  TTagTotals CountTag(TTagRuns pooled) const;

  ELetterCase letter_case_;
  TPassageTable table_;
  uint32_t empty_place_ = 0;  // the empty text, kept in the table's blocks with the first file
  std::vector<TTagRuns> tags_;
  size_t files_ = 0;
  bool counted_ = false;
  std::vector<TTagTotals> totals_;  // per tag, once counted
};

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_POOLED_COUNT_H_
