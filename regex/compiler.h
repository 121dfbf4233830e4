// Pattern text -> node program (layout in regex/program.h).
//
// Compile parses the pattern twice with one recursive-descent parser: the first pass only
// sizes the program, the second writes it into one block of exactly that size. Quantifiers
// insert their node in front of the already written operand. Any error throws the
// EPatternError of its number with the parse cursor's zero-based position.
#ifndef FARROWDALE_REGEX_COMPILER_H_
#define FARROWDALE_REGEX_COMPILER_H_

#include <cstdint>
#include <string_view>
#include <vector>

namespace farrowdale::regex {

struct CompileSettings {
  int modifiers = 0;                    // the ModifierSet compilation starts with
  std::string_view whitespace_set;      // characters of \s
  std::string_view word_character_set;  // characters of \w
  // "^" and "$" under m become line anchors only when there is some line break to anchor at
  // (LineBreakSet not empty, or LinePairedSeparator assigned).
  bool line_breaks_defined = true;
  // The subject is UTF-8 text: under i, letters match their case variants by Unicode's simple
  // case folding (text/case_variants.h), and a quantifier after a character of several bytes
  // repeats the whole character. Otherwise every byte is a character, with the case pairs of
  // the code page's SwapCase.
  bool utf8_text = false;
};

struct Program {
  std::vector<uint8_t> code;  // magic byte, then the nodes
  int modifiers = 0;          // the ModifierSet it was compiled under
  int group_count = 0;        // capture groups 1..group_count
  bool has_back_refs = false;
  // The pattern begins with a piece repeated by "*", "+" or braces (directly, or as the
  // first piece of an alternative inside a leading group).
  bool starts_with_repetition = false;
};

// pattern ends at its first zero byte; an empty pattern is error 100.
Program Compile(std::string_view pattern, const CompileSettings& settings);

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_COMPILER_H_
