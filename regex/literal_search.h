// Finding a literal in a text fast: the search for a required literal, for the first literal
// of a pattern and for the literal after a lazy or greedy "." repetition.
#ifndef FARROWDALE_REGEX_LITERAL_SEARCH_H_
#define FARROWDALE_REGEX_LITERAL_SEARCH_H_

#include <cstddef>
#include <cstdint>

namespace farrowdale::regex {

// The first occurrence of needle[0..needle_size) in text[0..text_size), or nullptr.
// An empty needle occurs at the text's start.
const uint8_t* FindLiteral(const uint8_t* text, size_t text_size, const uint8_t* needle,
                           size_t needle_size);

// The last occurrence of needle in text, or nullptr; an empty needle occurs at the text's end.
const uint8_t* FindLastLiteral(const uint8_t* text, size_t text_size, const uint8_t* needle,
                               size_t needle_size);

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_LITERAL_SEARCH_H_
