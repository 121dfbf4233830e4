// UTF-8 <-> UTF-16 for every place the system meets UTF-8 bytes: files with the UTF-8 mark,
// the UTF-8 code page and native file names.
//
// Decoding follows the Unicode standard's well-formedness table: a character beyond U+FFFF
// becomes a surrogate pair; every ill-formed sequence (a stray continuation byte, a cut-short
// or overlong sequence, an encoded surrogate, a value beyond U+10FFFF) becomes one U+FFFD per
// maximal ill-formed part, and decoding goes on after it. Nothing is ever dropped silently.
#ifndef FARROWDALE_TEXT_UTF8_H_
#define FARROWDALE_TEXT_UTF8_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace farrowdale {

std::u16string Utf8ToUtf16(std::string_view bytes);
// The same into out, which must have room for bytes.size() units (no UTF-8 byte gives more
// than one unit); returns the number of units written.
size_t Utf8ToUtf16(std::string_view bytes, char16_t* out);
// True when bytes hold no ill-formed sequence (a sequence cut short by the end counts as one).
bool IsWellFormedUtf8(std::string_view bytes);
// Unpaired surrogates, which UTF-8 cannot carry, become `replacement`.
std::string Utf16ToUtf8(std::u16string_view text, char replacement);
// The same, appended to *bytes.
void AppendUtf16AsUtf8(std::u16string_view text, char replacement, std::string* bytes);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_UTF8_H_
