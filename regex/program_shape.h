// Two shapes of a whole program that a caller can search without the matcher: nothing but
// literals (its matches are that text's occurrences), and a begin literal, group 1 holding
// any characters as few as possible, and an end literal (its matches pair each begin with
// the first end after it). Read from the nodes through the typed readers only.
#ifndef FARROWDALE_REGEX_PROGRAM_SHAPE_H_
#define FARROWDALE_REGEX_PROGRAM_SHAPE_H_

#include <optional>
#include <string>

#include "regex/compiler.h"

namespace farrowdale::regex {

// The bytes every match is, when the program is one alternative of case-sensitive literal
// nodes and nothing else. None for any other program, and for one with a literal that
// holds a zero character (such a program never matches, so its matches are not the
// occurrences of the other literals' text).
std::optional<std::string> PlainLiteralOf(const Program& program);

struct LiteralPairShape {
  std::string begin;
  std::string end;
};
// The two literals when the program is begin literal, "(" ".*?" ")", end literal, with "."
// matching every character; none otherwise (a zero character in a literal included).
std::optional<LiteralPairShape> LiteralPairOf(const Program& program);

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_PROGRAM_SHAPE_H_
