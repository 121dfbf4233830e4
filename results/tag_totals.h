// Each tag's totals over all files of a one-file run, as the combined report shows them in
// its last columns. Data only: the totals are counted in full before a report reads them,
// so rendering never counts.
#ifndef FARROWDALE_RESULTS_TAG_TOTALS_H_
#define FARROWDALE_RESULTS_TAG_TOTALS_H_

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "results/frequency_entry.h"

namespace farrowdale {

struct TTagTotals {
  int64_t Freq = 0;         // the files' Freq summed
  TFrequencyList Distinct;  // the distinct passages over all files, most frequent first
};

// Read-only access to every tag's totals, in tag order.
class TTagTotalsView {
 public:
  virtual ~TTagTotalsView() = default;
  virtual size_t tag_count() const = 0;
  // REQUIRES: tag < tag_count().
  virtual const TTagTotals& Totals(size_t tag) const = 0;
};

// Totals given whole.
class TTagTotalsList final : public TTagTotalsView {
 public:
  TTagTotalsList() = default;
  explicit TTagTotalsList(std::vector<TTagTotals> totals) : totals_(std::move(totals)) {}
  TTagTotalsList(std::initializer_list<TTagTotals> totals) : totals_(totals) {}

  size_t tag_count() const override { return totals_.size(); }
  const TTagTotals& Totals(size_t tag) const override { return totals_[tag]; }

 private:
  std::vector<TTagTotals> totals_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_RESULTS_TAG_TOTALS_H_
