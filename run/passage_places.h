// What a run gathers, beyond the counts, about where passages stand: a record per occurrence
// for the passages table (tag, file, line, column, passage), and for a report's passages
// section either the first occurrences of each distinct passage with the text around them
// (the combined report) or where every occurrence stands in its file (a per-file report,
// which shows the text once with its passages highlighted).
//
// Occurrences come from the spans of the run's own scan (ForEachPassageOccurrence), trimmed
// and non-empty as the counts take them, so every record matches a counted passage and no
// file is searched twice. Not thread-safe.
#ifndef FARROWDALE_RUN_PASSAGE_PLACES_H_
#define FARROWDALE_RUN_PASSAGE_PLACES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "count/frequency_list.h"
#include "count/group_key_hash.h"
#include "count/tagged_text.h"
#include "report/csv_tables.h"
#include "report/passages_in_text.h"
#include "report/passages_section.h"
#include "results/stat_info.h"
#include "tagset/tag_set.h"
#include "text/atomic_file.h"
#include "text/narrow_text_file.h"
#include "text/passage_grouping.h"

namespace farrowdale {

// What the passages section of the run's reports needs kept of each file.
enum class TPassagesKept {
  kNone,
  kOccurrencesInContext,  // the first occurrences of each distinct passage, with context
  kPlacesInText,          // the offsets of every occurrence
};

class TPassagePlaces {
 public:
  // table_file: stream the passages table into it. Passages are taken and keyed as the run's
  // counts group them.
  TPassagePlaces(std::optional<TAtomicFile> table_file, TPassagesKept kept,
                 TPassageGrouping grouping = {});

  // Takes one file's passages of every tag that is not skipped, in tag order: spans[k] are
  // the matches of the k-th such tag of tag_set in narrow_text, as the run's scan gave them.
  // file_name is the file's name as reports show it. The table keeps each passage's line
  // ends as the file wrote them (lone_line_ends, as ReadNarrowJoinedText gives them) unless
  // spaces are folded.
  void AddFile(const std::string& narrow_text, const std::vector<TLoneLineEnd>& lone_line_ends,
               const TTagArray& tag_set, const std::vector<std::vector<TPassageSpan>>& spans,
               std::string_view file_name);
  // Forgets the occurrences and places kept so far (the per-file report starts each file
  // afresh).
  void ForgetOccurrences();

  // The passages section's input: for each tag of stats (names and colours) the distinct
  // passages of distinct (one list per tag, hit-list order), each with the occurrences kept
  // for it, which move out of this object. With kPlacesInText the passages carry their
  // counts but no text: the text view shows the file's text itself.
  std::vector<TTagPassages> TakeTagPassages(const TStatArray& stats,
                                            const std::vector<const TFrequencyList*>& distinct);

  // With kPlacesInText: every occurrence kept since ForgetOccurrences, numbered by the
  // distinct passages of distinct as TakeTagPassages numbers them (tag rows 1-based, in the
  // order of distinct).
  std::vector<TTextHighlight> TakeHighlights(const std::vector<const TFrequencyList*>& distinct);

  // The passages table complete in its file. REQUIRES: a table_file, and called once.
  TAtomicFile TakeTableFile() { return table_->TakeFile(); }

 private:
  using TOccurrencesByKey = std::unordered_map<std::string, std::vector<TPassageOccurrence>>;
  // An occurrence in its text: byte offsets and the hash of its passage's grouping key, which
  // finds its distinct passage without a copy of the passage.
  struct TPlace {
    size_t begin = 0;
    size_t end = 0;
    TGroupKeyHash key;
  };

  std::optional<TCsvTable> table_;
  TPassagesKept kept_;
  TPassageGrouping grouping_;
  std::vector<TOccurrencesByKey> occurrences_;  // per tag not skipped
  std::vector<std::vector<TPlace>> places_;     // per tag not skipped, in text order
};

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_PASSAGE_PLACES_H_
