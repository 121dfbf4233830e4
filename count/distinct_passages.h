// Passages counted by identity before any collation: each distinct text once, with the number
// of its occurrences, so that collation works on distinct texts instead of on every occurrence.
//
// The list's quicksort of every occurrence and a sort of the distinct texts give the same
// order exactly when no two different texts tie under the collation: equal entries are then
// identical, and a sorted sequence of them is unique whatever the algorithm. Where two
// different texts tie, their order depends on the quicksort's exact steps over every
// occurrence; those steps depend only on how entries compare, so the quicksort runs over ids
// whose comparison is that of their texts' places in the collation order, ties shared.
#ifndef FARROWDALE_COUNT_DISTINCT_PASSAGES_H_
#define FARROWDALE_COUNT_DISTINCT_PASSAGES_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "count/frequency_list.h"
#include "results/stat_info.h"
#include "text/collation.h"
#include "text/text_blocks.h"

namespace farrowdale {

// A tag's passages in one file counted by identity.
struct TPassageTally {
  std::vector<std::u16string> texts;  // each distinct passage once, in order of first occurrence
  std::vector<int32_t> occurrences;   // how often each of texts occurs
  std::vector<uint32_t> sequence;     // the position in texts of every passage, in order
};

// The narrow passages tallied, each distinct one converted to Unicode once.
TPassageTally TallyPassages(const std::vector<std::string_view>& passages);

// What the list's quicksort by collation (letter case ignored, as SortByText without
// MatchCase) gives for a list holding texts[i] occurrences[i] times, as runs of equal ids.
// Each text is collated once. Only when two different texts tie is sequence called: it gives
// the position in texts of every entry of the list, in list order.
// REQUIRES: sequence() holds each i exactly occurrences[i] times.
std::vector<TPassageRun> SortLikeTheList(const std::vector<std::u16string>& texts,
                                         const std::vector<int32_t>& occurrences,
                                         const std::function<std::vector<uint32_t>()>& sequence);
// The same for texts 0 to occurrences.size() - 1 as text_of gives them, so that they need not
// all be held as UTF-16 at once.
std::vector<TPassageRun> SortLikeTheList(const TTextOf& text_of,
                                         const std::vector<int32_t>& occurrences,
                                         const std::function<std::vector<uint32_t>()>& sequence);

// The frequency list, case folded as letter_case says, of a list sorted by SortLikeTheList.
// texts_tie: whether SortLikeTheList found two different texts that tie (it then asked for
// the sequence).
TFrequencyList GroupPassageRuns(const std::vector<TPassageRun>& runs,
                                const std::vector<std::u16string>& texts, bool texts_tie,
                                ELetterCase letter_case = ELetterCase::kAsciiOnly);

// The same for texts already kept: text_of gives them, kept_of where each is kept in blocks,
// which the list shares. A representative whose trimmed text differs from its kept one is
// kept in blocks as well.
TFrequencyList GroupKeptPassageRuns(const std::vector<TPassageRun>& runs, const TTextOf& text_of,
                                    const std::function<uint32_t(uint32_t id)>& kept_of,
                                    std::shared_ptr<TTextBlocks> blocks, bool texts_tie,
                                    ELetterCase letter_case = ELetterCase::kAsciiOnly);

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_DISTINCT_PASSAGES_H_
