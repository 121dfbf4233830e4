// The frequency list: distinct texts with their counts ("text=count"), most frequent first,
// and the hit list made from it.
#ifndef FARROWDALE_RUN_FREQUENCY_LIST_H_
#define FARROWDALE_RUN_FREQUENCY_LIST_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "text/unicode_string_list.h"

namespace farrowdale {

// Sorts source, appends an empty entry to it (when it was not empty), groups equal texts
// (trimmed, narrow, A-Z folded when fold_case) and appends "text=count" entries to freq,
// ordered by CompareByFreq for order "ByFreq", by text otherwise.
void CountDistinctTexts(TUnicodeStringList& source, TUnicodeStringList& freq,
                        std::string_view order, bool fold_case);
// Second entry's count minus first entry's; throws the conversion Error for a count that
// is not an integer.
int32_t CompareByFreq(const TUnicodeStringList& list, int first, int second);
// "text (count) <br>" for every non-empty entry.
std::u16string FormatHitList(const TUnicodeStringList& list);

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_FREQUENCY_LIST_H_
