// Locale-aware comparison of Unicode texts for the user's default locale (ICU collator).
// With match_case off, letter case is ignored (secondary strength: accents still count);
// with it on, case counts too (tertiary). Under the C or POSIX locale the root collator is
// used, since ICU's en_US_POSIX tells "A" from "a" even at primary strength.
#ifndef FARROWDALE_TEXT_COLLATION_H_
#define FARROWDALE_TEXT_COLLATION_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace farrowdale {

class TAsciiCollation;

// Negative, zero or positive as a sorts before, ties with or sorts after b.
int CompareText(std::u16string_view a, std::u16string_view b, bool match_case);

// CompareText(a, b, false) among the texts of one list, made for the many comparisons of a
// sort: texts of ASCII characters compare by a table of the collator's weights where the
// locale allows (see TAsciiCollation), most of them by their first eight weights, held as
// one number. The texts must outlive the order and stay as they are.
class TCaseIgnoringListOrder {
 public:
  explicit TCaseIgnoringListOrder(const std::vector<std::u16string>& texts);

  // Negative, zero or positive as texts[a] sorts before, ties with or sorts after texts[b].
  int Compare(uint32_t a, uint32_t b) const {
    if (keyed_[a] && keyed_[b] && prefixes_[a] != prefixes_[b]) {
      return prefixes_[a] < prefixes_[b] ? -1 : 1;
    }
    return CompareWhole(a, b);
  }

 private:
  int CompareWhole(uint32_t a, uint32_t b) const;

  const std::vector<std::u16string>& texts_;
  const TAsciiCollation* table_;
  std::vector<uint8_t> keyed_;      // the text is ASCII and the table is there
  std::vector<uint64_t> prefixes_;  // where keyed
};

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_COLLATION_H_
