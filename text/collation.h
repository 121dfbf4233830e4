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
#include <vector>

namespace farrowdale {

class TAsciiCollation;

// Negative, zero or positive as a sorts before, ties with or sorts after b.
int CompareText(std::u16string_view a, std::u16string_view b, bool match_case);

// The text numbered id among texts kept elsewhere, in whatever form: either a view of the
// text where it is kept, or the text written into scratch (which the caller then keeps as
// it is until it is done with the view).
using TTextOf = std::function<std::u16string_view(uint32_t id, std::u16string& scratch)>;

// The kept form (text/text_blocks.h) of the text numbered id among texts kept elsewhere.
using TKeptFormOf = std::function<std::string_view(uint32_t id)>;

// CompareText(a, b, false) among the texts of one list, made for the many comparisons of a
// sort: texts of ASCII characters compare by a table of the collator's weights where the
// locale allows (see TAsciiCollation), most of them by their first eight weights, held as
// one number. The texts must outlive the order and stay as they are.
class TCaseIgnoringListOrder {
 public:
  explicit TCaseIgnoringListOrder(const std::vector<std::u16string>& texts);
  // Texts 0 to count - 1 in the kept forms form_of gives, compared where they are kept (as
  // UTF-8 where no weights decide; a text with a lone surrogate, which UTF-8 cannot carry, is
  // converted to UTF-16 for the comparison), so that no text is ever copied whole.
  TCaseIgnoringListOrder(size_t count, TKeptFormOf form_of);

  // Negative, zero or positive as texts[a] sorts before, ties with or sorts after texts[b].
  int Compare(uint32_t a, uint32_t b) const {
    if (prefixes_[a] != kUnkeyed && prefixes_[b] != kUnkeyed && prefixes_[a] != prefixes_[b]) {
      return prefixes_[a] < prefixes_[b] ? -1 : 1;
    }
    return CompareWhole(a, b);
  }

 private:
  int CompareWhole(uint32_t a, uint32_t b) const;

  // The texts: held in a vector, or kept where form_of_ reads them.
  const std::vector<std::u16string>* texts_ = nullptr;
  TKeptFormOf form_of_;
  mutable std::u16string first_scratch_;  // the texts being compared, converted from forms
  mutable std::u16string second_scratch_;
  const TAsciiCollation* table_;
  // Each text's first eight weights, or kUnkeyed where it is not ASCII or there is no table
  // (a weight is at most 128, so no prefix is kUnkeyed).
  static constexpr uint64_t kUnkeyed = ~uint64_t{0};
  std::vector<uint64_t> prefixes_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_COLLATION_H_
