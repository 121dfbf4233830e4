// Finding the first of a few possible bytes in a text, sixteen bytes at a time: the search
// for where a match can begin when a pattern can start with only one to three bytes
// ("(?i)<note>", "(<a>|<b>)", "[xy]...").
#ifndef FARROWDALE_REGEX_BYTE_SEARCH_H_
#define FARROWDALE_REGEX_BYTE_SEARCH_H_

#include <cstddef>
#include <cstdint>

namespace farrowdale::regex {

// The first byte of text[0..size) equal to one of bytes[0..count), or nullptr.
// REQUIRES: 1 <= count <= 3.
const uint8_t* FindAnyOfFew(const uint8_t* text, size_t size, const uint8_t* bytes, int count);

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_BYTE_SEARCH_H_
