// Locale-aware comparison of Unicode texts for the user's default locale (ICU collator).
// With match_case off, letter case is ignored (secondary strength: accents still count);
// with it on, case counts too (tertiary). Under the C or POSIX locale the root collator is
// used, since ICU's en_US_POSIX tells "A" from "a" even at primary strength.
#ifndef FARROWDALE_TEXT_COLLATION_H_
#define FARROWDALE_TEXT_COLLATION_H_

#include <string_view>

namespace farrowdale {

// Negative, zero or positive as a sorts before, ties with or sorts after b.
int CompareText(std::u16string_view a, std::u16string_view b, bool match_case);

// Whether text holds ASCII characters only.
bool IsAsciiText(std::u16string_view text);

// CompareText(a, b, false) for texts known to be ASCII, many times faster by table where the
// locale allows (once a run has made enough comparisons): a sort that checks each text once
// saves CompareText's checks on every comparison.
// REQUIRES: IsAsciiText(a) and IsAsciiText(b).
int CompareAsciiTexts(std::u16string_view a, std::u16string_view b);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_COLLATION_H_
