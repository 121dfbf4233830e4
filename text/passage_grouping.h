// How a run groups passages before it counts them, beyond trimming: which letters have a
// case to ignore, and whether spacing inside a passage counts. The defaults are the program's
// long-standing rules (A-Z only, spacing exact), which stored results were made with; the
// other choices are opt-in (--fold-case, --fold-space).
#ifndef FARROWDALE_TEXT_PASSAGE_GROUPING_H_
#define FARROWDALE_TEXT_PASSAGE_GROUPING_H_

#include <string>
#include <string_view>

namespace farrowdale {

// kAsciiOnly: only A-Z and a-z are one letter. kEveryAlphabet: simple Unicode case folding
// of every character (Ö and ö, Σ and σ are one; ß and SS stay apart, as simple folding maps
// one character to one).
enum class ELetterCase { kAsciiOnly, kEveryAlphabet };
// kExact: spacing counts as written. kFolded: every run of spaces, tabs and line breaks
// inside a passage counts as one space.
enum class ESpacing { kExact, kFolded };

struct TPassageGrouping {
  ELetterCase letter_case = ELetterCase::kAsciiOnly;
  ESpacing spacing = ESpacing::kExact;
};

// "letter case: A-Z only" or "letter case: every alphabet", then "; spaces: exact" or
// "; spaces: folded": the grouping as reports name it.
std::string GroupingDescription(const TPassageGrouping& grouping);

// Whether c is one of the characters ESpacing::kFolded folds: space, tab, line feed,
// carriage return, vertical tab, form feed.
inline bool IsFoldedSpace(char32_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// text with every run of folded spaces as one space (ASCII-compatible narrow text).
std::string FoldedSpaces(std::string_view text);
std::u16string FoldedSpaces(std::u16string_view text);

// text with every character replaced by its simple case folding (one code point each), so
// that texts differing only in letter case, in any alphabet, become equal.
std::u16string SimpleCaseFolded(std::u16string_view text);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_PASSAGE_GROUPING_H_
