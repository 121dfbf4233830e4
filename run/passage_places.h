// What a run gathers, beyond the counts, about where passages stand: a record per occurrence
// for the passages table (tag, file, line, column, passage), and for a report's passages
// section the first occurrences of each distinct passage with the text around them.
//
// Occurrences come from the run's own search (ForEachTaggedSpan), trimmed and non-empty as
// the counts take them, so every record matches a counted passage. Not thread-safe.
#ifndef FARROWDALE_RUN_PASSAGE_PLACES_H_
#define FARROWDALE_RUN_PASSAGE_PLACES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "report/csv_tables.h"
#include "report/passages_section.h"
#include "run/frequency_list.h"
#include "run/stat_info.h"
#include "tagset/tag_set.h"
#include "text/passage_grouping.h"

namespace farrowdale {

class TPassagePlaces {
 public:
  // with_table: build the passages table; with_context: keep occurrences for the section.
  // Passages are taken and keyed as the run's counts group them.
  TPassagePlaces(bool with_table, bool with_context, TPassageGrouping grouping = {});

  // Takes one file's passages of every tag that is not skipped, in tag order. file_name is
  // the file's name as reports show it.
  void AddFile(const std::string& narrow_text, const TTagArray& tag_set,
               std::string_view file_name);
  // Forgets the occurrences kept so far (the per-file report starts each file afresh).
  void ForgetOccurrences();

  // The passages section's input: for each tag of stats (names and colours) the distinct
  // passages of distinct (one list per tag, hit-list order), each with the occurrences kept
  // for it, which move out of this object.
  std::vector<TTagPassages> TakeTagPassages(const TStatArray& stats,
                                            const std::vector<const TFrequencyList*>& distinct);

  // REQUIRES: with_table.
  const TCsvTable& table() const { return *table_; }

 private:
  using TOccurrencesByKey = std::unordered_map<std::string, std::vector<TPassageOccurrence>>;

  std::optional<TCsvTable> table_;
  bool with_context_;
  TPassageGrouping grouping_;
  std::vector<TOccurrencesByKey> occurrences_;  // per tag not skipped
};

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_PASSAGE_PLACES_H_
