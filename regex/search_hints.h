// Facts about a compiled program that let the search skip start positions where no match can
// begin. They only make the search faster; they never change its result.
#ifndef FARROWDALE_REGEX_SEARCH_HINTS_H_
#define FARROWDALE_REGEX_SEARCH_HINTS_H_

#include <cstdint>
#include <string_view>

#include "regex/compiler.h"
#include "regex/program.h"

namespace farrowdale::regex {

struct SearchHints {
  // A match may begin only at the search start (the pattern starts with "^" or "\A").
  bool anchored = false;
  // Every match begins with this character (0 = none), and with the whole of start_literal.
  uint8_t start_char = 0;
  std::string_view start_literal;
  // A literal every match contains (empty = none).
  std::string_view must_contain;
  // Characters at which a match can begin; bit 0 stands for the end of the subject.
  ByteSet lead_chars;
};

// Views in the result point into program.code.
SearchHints ComputeSearchHints(const Program& program);

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_SEARCH_HINTS_H_
