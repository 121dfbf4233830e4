// The passages of one tag that two coders do not share in one file, for coders to discuss:
// A's passages left unmatched, B's left unmatched, and matched pairs whose intervals are not
// the same. Each comes with its place in each coder's own file, its text and the common text
// around it.
//
// Only the first kListedDifferencesPerTag (in text order) are written out, so that a large
// file costs little memory; all are counted.
#ifndef FARROWDALE_COUNT_PASSAGE_DIFFERENCES_H_
#define FARROWDALE_COUNT_PASSAGE_DIFFERENCES_H_

#include <string>
#include <vector>

#include "count/coded_intervals.h"
#include "count/passage_matching.h"
#include "count/stripped_text.h"
#include "results/agreement.h"

namespace farrowdale {

// A passage longer than this many characters keeps only kExcerptEdge at each end.
inline constexpr int64_t kLongestWholePassage = 160;
inline constexpr int64_t kExcerptEdge = 60;

// a, b: each coder's copy, stripped (their texts the same); a_passages, b_passages: the tag's
// passages of each, as matched by matching.
TTagDifferences PassageDifferences(std::string tag, const TStrippedText& a, const TStrippedText& b,
                                   const std::vector<TInterval>& a_passages,
                                   const std::vector<TInterval>& b_passages,
                                   const TPassageMatching& matching);

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_PASSAGE_DIFFERENCES_H_
