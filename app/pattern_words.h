// A pattern the engine refused, explained for someone who does not know pattern syntax: what
// went wrong in words, where, and what to write instead. The filter box and the tag set
// editor show it in place of the engine's terse message, which it keeps at the end so that
// the two can be matched up.
#ifndef FARROWDALE_APP_PATTERN_WORDS_H_
#define FARROWDALE_APP_PATTERN_WORDS_H_

#include <string>
#include <string_view>

#include "regex/pattern_engine.h"

namespace farrowdale {

// What went wrong with pattern, in words: the cause, the character where the engine stopped
// (1-based, narrow text), a hint with an example when one helps, then the engine's own
// message in parentheses.
std::string PatternErrorInWords(std::string_view pattern, const EPatternError& error);

// The compile error of pattern explained as above; empty when it compiles.
std::string PatternProblemInWords(std::string_view pattern);

}  // namespace farrowdale

#endif  // FARROWDALE_APP_PATTERN_WORDS_H_
