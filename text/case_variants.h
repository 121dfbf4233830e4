// Case variants under simple case folding: the characters a case-insensitive search takes for
// one character of a pattern, in text of every script (the pattern engine's "(?i)" on UTF-8
// text). Two characters are variants of each other when Unicode's simple case folding maps
// them to the same character: "é" and "É", "k", "K" and the Kelvin sign U+212A, "σ", "ς" and
// "Σ". Full foldings that turn one character into several ("ß" -> "ss") are not used, so a
// variant is always one character.
//
// Thread-safe; the table behind it is built once, on first use.
#ifndef FARROWDALE_TEXT_CASE_VARIANTS_H_
#define FARROWDALE_TEXT_CASE_VARIANTS_H_

#include <string>
#include <string_view>
#include <vector>

namespace farrowdale {

// Every character whose simple case folding is that of c, c included, in ascending order.
// A character without a case gives just itself.
std::vector<char32_t> SimpleCaseVariants(char32_t c);

// The first character of well-formed UTF-8 in bytes and its length in bytes; for an
// ill-formed start (or empty bytes), 0 and a length of 1 (0 for empty bytes).
struct Utf8Character {
  char32_t code_point = 0;
  size_t length = 0;
};
Utf8Character FirstUtf8Character(std::string_view bytes);

// c as UTF-8 bytes. REQUIRES: c is a Unicode scalar value.
std::string Utf8Of(char32_t c);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_CASE_VARIANTS_H_
