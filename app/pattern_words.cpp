#include "app/pattern_words.h"

#include <algorithm>

namespace farrowdale {

namespace {

// The engine's compile error numbers this file explains (the engine's numbering).
enum class ECompileError {
  kUnmatchedGroup = 103,
  kUnmatchedClose = 104,
  kJunkOnEnd = 105,
  kOperandCouldBeEmpty = 106,
  kNestedQuantifier = 107,
  kInvalidRange = 109,
  kClassTrailingBackslash = 110,
  kNoHexCode = 111,
  kUnmatchedClass = 113,
  kQuantifierFollowsNothing = 115,
  kTrailingBackslash = 116,
  kBraceMinAboveMax = 124,
  kUnclosedComment = 125,
  kBadModifier = 127,
};

// The cause in words, and a hint with an example (empty when none helps).
struct TExplanation {
  std::string_view cause;
  std::string_view hint;
};

TExplanation Explain(int number) {
  switch (static_cast<ECompileError>(number)) {
    case ECompileError::kQuantifierFollowsNothing:
      return {"a repeat sign (*, +, ? or {) stands where there is nothing to repeat",
              "In a pattern \"*\" alone means \"repeat the character before\"; to match any "
              "text write \".*\", e.g. \".*anna.*\", and to find a real \"*\" write \"\\*\"."};
    case ECompileError::kOperandCouldBeEmpty:
      return {"something that can match nothing at all is repeated with * or +",
              "Brackets and braces are pattern signs: to find \"[EMO]\" or \"{{c1}}\" as they "
              "stand, put a backslash before each sign: \"\\[EMO\\]\", \"\\{\\{c1\\}\\}\"."};
    case ECompileError::kNestedQuantifier:
      return {"two repeat signs follow each other",
              "Write one repeat sign, or put a backslash before a sign you mean as text: "
              "\"a\\+\\+\"."};
    case ECompileError::kUnmatchedGroup:
    case ECompileError::kUnmatchedClose:
      return {"a round bracket is not closed, or closed without being opened",
              "Round brackets group: to find \"(q)\" as it stands write \"\\(q\\)\"."};
    case ECompileError::kJunkOnEnd:
      return {"a closing round bracket has no opening one",
              "To find \")\" as it stands write \"\\)\"."};
    case ECompileError::kUnmatchedClass:
      return {"a square bracket is not closed",
              "Square brackets list characters to choose from: to find \"[EMO]\" as it stands "
              "write \"\\[EMO\\]\"."};
    case ECompileError::kInvalidRange:
      return {"a range in square brackets runs backwards", "Write the lower end first: \"[a-z]\"."};
    case ECompileError::kTrailingBackslash:
    case ECompileError::kClassTrailingBackslash:
      return {"the pattern ends in a backslash, which has nothing to apply to",
              "To find a backslash as it stands write two: \"\\\\\"."};
    case ECompileError::kNoHexCode:
      return {"\"\\x\" is not followed by a hexadecimal character code",
              "Write the code after it, e.g. \"\\x41\" for \"A\"."};
    case ECompileError::kBraceMinAboveMax:
      return {"in a repeat count {m,n} the first number is above the second",
              "Write the smaller number first: \"a{2,5}\"."};
    case ECompileError::kUnclosedComment:
      return {"a comment \"(?#\" is not closed with \")\"", ""};
    case ECompileError::kBadModifier:
      return {"\"(?\" is followed by a letter the engine does not know",
              "The letters are i, r, s, g, m and x, e.g. \"(?i)anna\" to ignore letter case."};
  }
  return {"the pattern is not valid", ""};
}

}  // namespace

std::string PatternErrorInWords(std::string_view pattern, const EPatternError& error) {
  const TExplanation explanation = Explain(error.ErrorNumber());
  std::string words = "The pattern \"" + std::string(pattern) +
                      "\" is not valid: " + std::string(explanation.cause);
  // The engine's position is the offset just past the character it stopped at.
  if (error.ErrorNumber() < 1000 && !pattern.empty()) {
    const size_t at = std::clamp<size_t>(static_cast<size_t>(std::max(error.ErrorPosition(), 1)), 1,
                                         pattern.size());
    words += " (near character " + std::to_string(at) + ").";
  } else {
    words += '.';
  }
  if (!explanation.hint.empty()) words += "\n" + std::string(explanation.hint);
  return words + "\n(" + error.what() + ")";
}

std::string PatternProblemInWords(std::string_view pattern) {
  TPatternEngine engine;
  engine.SetExpression(pattern);
  try {
    // Compilation happens at the first search.
    engine.Exec(std::string_view());
  } catch (const EPatternError& error) {
    return PatternErrorInWords(pattern, error);
  }
  return {};
}

}  // namespace farrowdale
