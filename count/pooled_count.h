// The combined report's totals: each tag's passages recounted over all files at once.
//
// The one-file mode adds each file's records as the run counts them. Each distinct passage
// is kept once for the whole run (TPassageTable); per file and tag only the file's sorted
// list as runs of ids. Memory is one copy of the distinct passages plus a few bytes per
// distinct passage of each file, whatever the number of occurrences.
#ifndef FARROWDALE_COUNT_POOLED_COUNT_H_
#define FARROWDALE_COUNT_POOLED_COUNT_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <utility>
#include <vector>

#include "count/frequency_list.h"
#include "count/passage_table.h"
#include "count/stat_info.h"

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
  // Totals are grouped with letter_case as a file's counts are.
  explicit TPooledPassages(ELetterCase letter_case = ELetterCase::kAsciiOnly)
      : letter_case_(letter_case) {}

  // Takes the Passages of a file's one-file-mode records (leaving them empty) and their Freq.
  // Throws std::invalid_argument when the file has not one record per tag of the first file.
  void AddFile(TStatArray& file);

  // The number of tags: that of the first file's records; 0 before a file was added.
  size_t tag_count() const { return tags_.size(); }

  // One tag's totals, counted afresh at each call; the only time a tag's distinct passages
  // are held as text. The tag's pooled list is, file after file, the file's passages in
  // their sorted order, then an empty entry when it had any, then one more empty entry;
  // CountDistinctTexts with case folding counts it. Those empty entries take part in the
  // collation sort, so they decide tie orders. REQUIRES: tag < tag_count().
  TTagTotals CountTag(size_t tag) const;
  // Whether CountTag(tag) has any distinct passage, without counting it: every pooled passage
  // is a trimmed, non-empty text. REQUIRES: tag < tag_count().
  bool HasPassages(size_t tag) const { return !tags_[tag].runs.empty(); }

 private:
  struct TTagRuns {
    int64_t freq = 0;
    // Every file's runs, ids into table_, file after file; grown without copying.
    std::deque<TPassageRun> runs;
    std::vector<size_t> file_ends;  // per file: the end of its runs in runs
  };
  ELetterCase letter_case_;
  TPassageTable table_;
  std::vector<TTagRuns> tags_;
  size_t files_ = 0;
};

// The totals of each tag, in tag order, for the combined report: given whole, or counted
// from a pool one tag at a time as the report asks for each row, so that only one tag's
// distinct passages are held as text at once. Converts implicitly from what it is made of.
class TTagTotalsList {
 public:
  TTagTotalsList() = default;
  TTagTotalsList(std::vector<TTagTotals> given) : given_(std::move(given)) {}
  TTagTotalsList(std::initializer_list<TTagTotals> given) : given_(given) {}
  // pooled must outlive the list.
  TTagTotalsList(const TPooledPassages& pooled) : pooled_(&pooled) {}

  size_t size() const { return pooled_ ? pooled_->tag_count() : given_.size(); }
  // REQUIRES: tag < size().
  TTagTotals operator[](size_t tag) const { return pooled_ ? pooled_->CountTag(tag) : given_[tag]; }
  // Whether the tag's totals hold a distinct passage, without counting them from the pool.
  bool HasPassages(size_t tag) const {
    return pooled_ ? pooled_->HasPassages(tag) : !given_[tag].Distinct.empty();
  }

 private:
  std::vector<TTagTotals> given_;
  const TPooledPassages* pooled_ = nullptr;
};

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_POOLED_COUNT_H_
