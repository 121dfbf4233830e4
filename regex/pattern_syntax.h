// The characters a pattern reads as something other than themselves: what a caller needs to
// write text as a pattern that matches it as written, or to tell a user which character of a
// pattern has a meaning. The compiler reads patterns by these same lists.
#ifndef FARROWDALE_REGEX_PATTERN_SYNTAX_H_
#define FARROWDALE_REGEX_PATTERN_SYNTAX_H_

#include <string_view>

namespace farrowdale {

// Outside a set of characters ("[...]"), these characters are operators; every other
// character stands for itself (under the x modifier white space and "#" too have a meaning).
// A "]" or "}" alone stands for itself; escaping it does no harm.
inline constexpr std::string_view kPatternOperators = "^$.[()|?+*\\{";

// The letters and digits that, after "\", stand for something other than themselves: "\1" to
// "\9" repeat a group, "\A" "\Z" "\b" "\B" are positions, "\d" "\D" "\s" "\S" "\w" "\W" are
// classes, "\t" "\n" "\r" "\f" "\a" "\e" control characters and "\x" starts a character
// code. After "\" any other character stands for itself.
inline constexpr std::string_view kPatternEscapeLetters = "123456789AZbBdDsSwWtnrfaex";

inline bool IsPatternOperator(char c) {
  return c != '\0' && kPatternOperators.find(c) != std::string_view::npos;
}
inline bool IsPatternEscapeLetter(char c) {
  return c != '\0' && kPatternEscapeLetters.find(c) != std::string_view::npos;
}

}  // namespace farrowdale

#endif  // FARROWDALE_REGEX_PATTERN_SYNTAX_H_
