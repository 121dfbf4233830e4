// Reference for tests: the grouping notes of one tag worked out the plain way, from every one
// of its passages in run order, with no map and no per-file step. TGroupingNotes, fed each
// file's distinct passages, must give the same notes. No product code calls it.
#ifndef FARROWDALE_TESTING_REFERENCE_GROUPING_NOTES_H_
#define FARROWDALE_TESTING_REFERENCE_GROUPING_NOTES_H_

#include <string>
#include <string_view>
#include <vector>

namespace farrowdale {

struct TPlacedPassage {
  std::string text;   // trimmed, non-empty, narrow
  std::string place;  // "FILE:LINE:COLUMN"
};

// The notes TGroupingNotes::Notes words for the tag named name whose passages, in the order
// the run meets them, are passages.
std::vector<std::string> ReferenceGroupingNotes(const std::vector<TPlacedPassage>& passages,
                                                std::string_view name);

}  // namespace farrowdale

#endif  // FARROWDALE_TESTING_REFERENCE_GROUPING_NOTES_H_
