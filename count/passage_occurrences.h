// The passages of one file's matches one occurrence at a time, as the counts take them:
// trimmed, blank ones left out, spaces folded when the grouping folds them. Each comes with
// where it stands in the text, for whatever lists occurrences (the passages table, the
// passages sections of the reports). Works on the spans the run's scan gave, so listing
// occurrences searches nothing again.
#ifndef FARROWDALE_COUNT_PASSAGE_OCCURRENCES_H_
#define FARROWDALE_COUNT_PASSAGE_OCCURRENCES_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "count/tagged_text.h"
#include "text/passage_grouping.h"
#include "text/text_position.h"

namespace farrowdale {

struct TPassageOccurrenceAt {
  size_t tag = 0;              // index among the tags that are not skipped
  std::string_view passage;    // the trimmed passage, a view into the text
  size_t start = 0;            // byte offset of passage in the text
  TTextPosition position;      // line and column of start
  std::u16string text;         // the passage as it is counted (spaces folded when asked)
  bool spaces_folded = false;  // text folds the passage's spaces
};

// What each occurrence comes with. kPlace: tag, passage and start only (position and text
// stay empty), for callers that need no line index and no Unicode copy of each passage.
enum class EOccurrenceDetail { kPlace, kPlaceAndText };

// The trimmed passages of the trimmed, non-empty passage of each span, in tag order, each
// tag's in text order. spans[k] are the k-th tag's matches in narrow_text (TTagScanner::Scan).
void ForEachPassageOccurrence(const std::string& narrow_text,
                              const std::vector<std::vector<TPassageSpan>>& spans,
                              TPassageGrouping grouping,
                              const std::function<void(const TPassageOccurrenceAt&)>& visit,
                              EOccurrenceDetail detail = EOccurrenceDetail::kPlaceAndText);

// The trimmed, non-empty passages of one tag's spans in text: what a tag's counts are made
// of, before any folding.
std::vector<std::string_view> TrimmedPassages(std::string_view text,
                                              const std::vector<TPassageSpan>& spans);

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_PASSAGE_OCCURRENCES_H_
