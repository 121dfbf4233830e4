// Passages counted by identity before any collation: each distinct text once, with the number
// of its occurrences, so that sorting and grouping work on distinct texts instead of on every
// occurrence.
//
// The list's quicksort of every occurrence and a sort of the distinct texts give the same
// order exactly when no two different texts tie under the collation: equal entries are then
// identical, and a sorted sequence of them is unique whatever the algorithm. Where two
// different texts tie, their order depends on the quicksort's exact steps over every
// occurrence, and the caller must take that path instead.
#ifndef FARROWDALE_RUN_DISTINCT_PASSAGES_H_
#define FARROWDALE_RUN_DISTINCT_PASSAGES_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "run/frequency_list.h"

namespace farrowdale {

struct TTalliedPassage {
  std::u16string Text;
  int32_t Occurrences = 0;
};

// The distinct narrow passages, converted to Unicode once each, in order of first occurrence.
std::vector<TTalliedPassage> TallyPassages(const std::vector<std::string_view>& passages);

// Sorts the passages by the locale's collation (letter case counts when match_case) and
// returns true, or returns false, in some order, when two of them tie.
// REQUIRES: the texts are distinct.
bool SortByCollationWithoutTies(std::vector<TTalliedPassage>& passages, bool match_case);

// The frequency list, A-Z folded, of passages sorted by SortByCollationWithoutTies: each
// stands for as many entries in a row as it has occurrences.
TFrequencyList GroupSortedPassages(const std::vector<TTalliedPassage>& sorted);

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_DISTINCT_PASSAGES_H_
