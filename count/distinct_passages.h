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

// Turns entries, one per distinct text (Place naming it for form_of, which gives its kept
// form, and Count its occurrences), into what the list's quicksort by collation (letter case
// ignored, as SortByText without MatchCase) gives for a list holding each text Count times,
// as runs of equal texts. Only when two different texts tie is sequence called: it gives the
// Place of every entry of the list, in list order. The sort needs no memory beyond entries
// and the few counts other than 1, so that texts need not all be held as UTF-16 at once.
// Returns whether two different texts tie.
// REQUIRES: sequence() holds each entry's Place exactly Count times.
bool SortLikeTheList(std::vector<TKeptCount>& entries, const TKeptFormOf& form_of,
                     const std::function<std::vector<uint32_t>()>& sequence);

// SortLikeTheList for a tally's passages, read from where they are kept, as runs of its ids;
// sets texts_tie when two different texts tie (the tally's sequence is then taken).
std::vector<TPassageRun> SortLikeTheList(TPassageTally& tally, bool& texts_tie);

// The frequency list, case folded as letter_case says, of a tally's passages sorted by
// SortLikeTheList; it shares the tally's blocks. texts_tie: whether SortLikeTheList found two
// different texts that tie (it then asked for the sequence).
TFrequencyList GroupPassageRuns(const std::vector<TPassageRun>& runs, const TPassageTally& tally,
                                bool texts_tie, ELetterCase letter_case = ELetterCase::kAsciiOnly);

// The same for runs of texts kept in blocks, which the list shares: Place is where a run's
// text is kept. Without ties, and when no text needs trimming (read from the ends of its kept
// form), the list takes over runs' own memory. A representative whose trimmed text differs
// from its kept one is kept in blocks as well.
TFrequencyList GroupKeptPassageRuns(std::vector<TKeptCount> runs,
                                    std::shared_ptr<TTextBlocks> blocks, bool texts_tie,
                                    ELetterCase letter_case = ELetterCase::kAsciiOnly);

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_DISTINCT_PASSAGES_H_
