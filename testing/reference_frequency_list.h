// A reference for tests of the frequency lists (count/frequency_list.h, count/distinct_passages.h,
// count/pooled_count.h): the distinct texts of a list counted the plain way, in a map from
// each group's key to its count. No product code calls it; changing it changes no report.
#ifndef FARROWDALE_TESTING_REFERENCE_FREQUENCY_LIST_H_
#define FARROWDALE_TESTING_REFERENCE_FREQUENCY_LIST_H_

#include <string>
#include <vector>

#include "count/frequency_list.h"
#include "results/frequency_entry.h"
#include "results/stat_info.h"
#include "text/passage_grouping.h"

namespace farrowdale {

// texts in the order the string list's quicksort gives them under the case-ignoring
// collation (ties keep the places that quicksort leaves them in).
void SortLikeTheStringList(std::vector<std::u16string>& texts);

// The frequency list of texts: sorted as above; counted in a map from key (trimmed, narrow,
// case folded as letter_case says: A-Z, or every letter) to the group's size and last text in
// sorted order, which shows the group, trimmed; empty keys form no group; the groups, in the
// order their last texts stand, then ordered by count, most first, by the same quicksort.
std::vector<TFrequencyEntry> ReferenceFrequencyList(std::vector<std::u16string> texts,
                                                    ELetterCase letter_case);

// The grouping of GroupRunsOfTexts, run by run, for runs of ids into texts[id]: in a map from
// each run's whole key (trimmed, narrow, case folded when fold_case as letter_case says) to its
// group's entries and last run; empty keys form no group; the groups in the order their last
// runs stand.
std::vector<TRunGroup> ReferenceGroupRunsOfTexts(const std::vector<TPassageRun>& runs,
                                                 const std::vector<std::u16string>& texts,
                                                 bool fold_case, ELetterCase letter_case);

}  // namespace farrowdale

#endif  // FARROWDALE_TESTING_REFERENCE_FREQUENCY_LIST_H_
