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

// A tag's passages in one file counted by identity. Distinct passages are numbered in order
// of first occurrence.
struct TPassageTally {
  // Each distinct passage's Unicode text, kept once, at places[id].
  std::shared_ptr<TTextBlocks> blocks = std::make_shared<TTextBlocks>();
  std::vector<uint32_t> places;
  std::vector<int32_t> occurrences;  // how often each distinct passage occurs
  std::vector<uint32_t> sequence;    // the number of every passage, in order

  // The text of distinct passage id, written into scratch (a TTextOf).
  std::u16string_view TextOf(uint32_t id, std::u16string& scratch) const;
  // Every distinct passage's text, in order.
  std::vector<std::u16string> Texts() const;
};

// The narrow passages tallied, each distinct one converted to Unicode and kept once (a long
// one piece by piece, never held whole as UTF-16).
TPassageTally TallyPassages(const std::vector<std::string_view>& passages);

// What the list's quicksort by collation (letter case ignored, as SortByText without
// MatchCase) gives for a list holding text i (in the kept form form_of gives, so that the
// texts need not all be held as UTF-16 at once) occurrences[i] times, as runs of equal ids.
// Only when two different texts tie is sequence called: it gives the number of every entry of
// the list, in list order.
// REQUIRES: sequence() holds each i exactly occurrences[i] times.
std::vector<TPassageRun> SortLikeTheList(const TKeptFormOf& form_of,
                                         const std::vector<int32_t>& occurrences,
                                         const std::function<std::vector<uint32_t>()>& sequence);

// SortLikeTheList for a tally's passages, read from where they are kept; sets texts_tie when
// two different texts tie (the tally's sequence is then taken).
std::vector<TPassageRun> SortLikeTheList(TPassageTally& tally, bool& texts_tie);

// The frequency list, case folded as letter_case says, of a tally's passages sorted by
// SortLikeTheList; it shares the tally's blocks. texts_tie: whether SortLikeTheList found two
// different texts that tie (it then asked for the sequence).
TFrequencyList GroupPassageRuns(const std::vector<TPassageRun>& runs, const TPassageTally& tally,
                                bool texts_tie, ELetterCase letter_case = ELetterCase::kAsciiOnly);

// The same for texts already kept: text_of gives them, kept_of where each is kept in blocks,
// which the list shares (a look-up: texts whose kept form shows that they need no trimming
// are not read whole). A representative whose trimmed text differs from its kept one is
// kept in blocks as well.
TFrequencyList GroupKeptPassageRuns(const std::vector<TPassageRun>& runs, const TTextOf& text_of,
                                    const std::function<uint32_t(uint32_t id)>& kept_of,
                                    std::shared_ptr<TTextBlocks> blocks, bool texts_tie,
                                    ELetterCase letter_case = ELetterCase::kAsciiOnly);

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_DISTINCT_PASSAGES_H_
