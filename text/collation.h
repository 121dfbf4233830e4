// Locale-aware comparison of Unicode texts for the user's default locale (ICU collator).
// With match_case off, letter case is ignored (secondary strength: accents still count);
// with it on, case counts too (tertiary). Under the C or POSIX locale the root collator is
// used, since ICU's en_US_POSIX tells "A" from "a" even at primary strength.
#ifndef FARROWDALE_TEXT_COLLATION_H_
#define FARROWDALE_TEXT_COLLATION_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace farrowdale {

// Negative, zero or positive as a sorts before, ties with or sorts after b.
int CompareText(std::u16string_view a, std::u16string_view b, bool match_case);

// The text numbered id among texts kept elsewhere, in whatever form: either a view of the
// text where it is kept, or the text written into scratch (which the caller then keeps as
// it is until it is done with the view).
using TTextOf = std::function<std::u16string_view(uint32_t id, std::u16string& scratch)>;

// The kept form (text/text_blocks.h) of the text numbered id among texts kept elsewhere.
using TKeptFormOf = std::function<std::string_view(uint32_t id)>;

// CompareText(a, b, false) for two texts in their kept forms (text/text_blocks.h), compared
// where they are kept: texts of ASCII characters by a table of the collator's weights where
// the locale allows (see TAsciiCollation), others as UTF-8; a text with a lone surrogate,
// which UTF-8 cannot carry, is converted to UTF-16 for the comparison.
int CompareKeptForms(std::string_view a, std::string_view b);

// A text's sort key under CompareKeptForms, for the many comparisons of a sort: where the
// keys of two texts differ and neither is kNoCollationKey, the texts compare as their keys
// do; otherwise CompareKeptForms decides. An ASCII text's key is its first eight weights under
// the table, one byte each from the most significant, 0 after its end (a weight is at most
// 128); other texts, and every text where the locale allows no table, have none.
inline constexpr uint64_t kNoCollationKey = ~uint64_t{0};
uint64_t CollationKey(std::string_view kept);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_COLLATION_H_
