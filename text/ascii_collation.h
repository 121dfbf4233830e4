// Collation of texts of ASCII characters without the collator, once it has been asked how it
// weighs each ASCII character.
//
// Under the root collation, and every locale whose own rules leave the ASCII characters as
// the root has them, each ASCII character collates by one weight of its own (letters of
// either case share one at secondary strength; characters the collator ignores have none),
// with no contraction or expansion among them; what is checked besides is that no setting
// (numeric order, ignored punctuation, a case level) looks beyond single characters. Two such texts
// then collate as the sequences of their characters' primary weights compare, and texts whose
// sequences are equal tie: every weighted ASCII character has the same secondary weight.
#ifndef FARROWDALE_TEXT_ASCII_COLLATION_H_
#define FARROWDALE_TEXT_ASCII_COLLATION_H_

#include <unicode/ucol.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace farrowdale {

class TAsciiCollation {
 public:
  // The collator's order of ASCII texts, or nothing when it does not collate ASCII
  // characters one weight each as described above.
  static std::optional<TAsciiCollation> For(const UCollator* collator);

  // Whether text holds ASCII characters only. The overloads for bytes read each byte below
  // 0x80 as that ASCII character, so that a text kept as UTF-8 is read where it is kept.
  static bool Covers(std::u16string_view text);
  static bool Covers(std::string_view text);

  // Negative, zero or positive as ucol_strcoll finds a before, tied with or after b.
  // REQUIRES: Covers(a) and Covers(b).
  int Compare(std::u16string_view a, std::u16string_view b) const;
  int Compare(std::string_view a, std::string_view b) const;

  // The first eight weights of text, one byte each from the most significant, 0 after its
  // end: where two texts' prefixes differ, they compare as their prefixes do.
  // REQUIRES: Covers(text).
  uint64_t Prefix(std::u16string_view text) const;
  uint64_t Prefix(std::string_view text) const;

 private:
  // Each character's place among the primary weights of the ASCII characters, from 1; 0 for
  // a character the collator ignores.
  std::array<uint8_t, 128> ranks_{};

  template <typename Char>
  int CompareWeights(std::basic_string_view<Char> a, std::basic_string_view<Char> b) const;
  template <typename Char>
  uint64_t PrefixWeights(std::basic_string_view<Char> text) const;
};

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_ASCII_COLLATION_H_
