// The 256-entry tables behind single-byte code pages: byte -> UTF-16 decoding, UTF-16 ->
// byte encoding with Windows' best fit, and the case swap behind SwapCase.
#ifndef FARROWDALE_TEXT_CODE_PAGE_TABLE_H_
#define FARROWDALE_TEXT_CODE_PAGE_TABLE_H_

#include <array>
#include <string_view>
#include <vector>

namespace farrowdale {

struct SingleByteTable {
  // Every byte decodes, as Windows decodes it.
  std::array<char16_t, 256> to_unicode;
  // One byte per UTF-16 code unit (65536 entries): the byte that decodes to the unit, else
  // the best-fit byte, else "?".
  std::vector<unsigned char> from_unicode;
};

// The table of windows-1252 or windows-1251 (code_page 1252 or 1251); the decode half comes
// from the ICU converter named icu_name, the best fit from the compiled-in tables.
SingleByteTable BuildWindowsTable(int code_page, const char* icu_name);

// The bytes' other-case forms, the way CharUpperA/CharLowerA give them: decode the byte, take
// Unicode's simple upper case (or lower case, for a character without an upper case), and use
// the byte that decodes to it. A character whose other case has no byte keeps its byte, and
// so do ß and µ. decoded[b] is the character byte b stands for (U+FFFD when none).
std::array<unsigned char, 256> BuildSwapCaseTable(const std::array<char16_t, 256>& decoded);

// ASCII letters swapped, every other byte unchanged: the table of multi-byte code pages.
std::array<unsigned char, 256> AsciiSwapCaseTable();

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_CODE_PAGE_TABLE_H_
