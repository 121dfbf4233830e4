// Making frequency lists (results/frequency_entry.h): grouping a tag's passages into
// distinct ones and ordering them, most frequent first.
#ifndef FARROWDALE_COUNT_FREQUENCY_LIST_H_
#define FARROWDALE_COUNT_FREQUENCY_LIST_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "results/frequency_entry.h"
#include "results/stat_info.h"
#include "text/collation.h"
#include "text/passage_grouping.h"
#include "text/unicode_string_list.h"

namespace farrowdale {

// Sorts source by the locale's collation (ignoring letter case when fold_case), appends an
// empty entry to it (when it was not empty) and returns one entry per group of equal texts. Texts
// are equal when they are after trimming, conversion to narrow text and, when fold_case, A-Z folded
// to a-z. A group stands where its last entry stands in sorted order and shows that entry's trimmed
// text; empty texts form no entry. The entries are then ordered by CompareByFreq through the list's
// quicksort, whose tie order is output.
TFrequencyList CountDistinctTexts(TUnicodeStringList& source, bool fold_case);

// The key texts are grouped by: trimmed, converted to narrow text and, when fold_case, A-Z
// folded to a-z (with ELetterCase::kEveryAlphabet: every letter by simple case folding).
std::string GroupKey(std::u16string_view text, bool fold_case,
                     ELetterCase letter_case = ELetterCase::kAsciiOnly);

// Equal entries in a row of a source sorted by collation: the text and how many entries.
struct TSortedRun {
  std::u16string_view Text;
  int32_t Entries = 1;
};

// The grouping and ordering of CountDistinctTexts for a source already sorted (the closing
// empty entry included or not: it forms no group), given as runs; a run counts as that many
// entries in a row. letter_case as GroupKey takes it.
TFrequencyList GroupSortedRuns(const std::vector<TSortedRun>& runs, bool fold_case,
                               ELetterCase letter_case = ELetterCase::kAsciiOnly);

// A group of equal texts among runs: the run that shows it (the group's last) and the group's
// entries.
struct TRunGroup {
  uint32_t Run = 0;
  int32_t Entries = 0;
};

// The grouping of GroupSortedRuns for runs of ids into texts that text_of gives, each run
// counting as its Entries in a row: the groups in the order their shown runs stand, not yet
// ordered by count.
// form_of, when given, gives where each id's text is kept (text/text_blocks.h): a long text
// is then read from there, a piece at a time, instead of whole through text_of.
std::vector<TRunGroup> GroupRunsOfTexts(const std::vector<TPassageRun>& runs,
                                        const TTextOf& text_of, bool fold_case,
                                        ELetterCase letter_case, const TKeptFormOf& form_of = {});

// Orders freq by CompareByFreq through the list's quicksort, whose tie order is output.
void SortByCount(TFrequencyList& freq);

// Second entry's count minus first entry's: larger counts come first.
int32_t CompareByFreq(const TFrequencyEntry& first, const TFrequencyEntry& second);

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_FREQUENCY_LIST_H_
