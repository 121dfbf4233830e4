// TPatternEngine: the backtracking pattern engine over 8-bit text (one byte, one character).
// Usage: construct, SetExpression, Exec(subject), then MatchedText(n) and ExecNext() while
// the last call returned true. Compilation is deferred to the first search; compile errors
// and run-time errors are thrown as EPatternError.
//
// (Public contract shared with the rest of the program; the engine's internals may add to
// this header but keep these operations and their meaning.)
#ifndef FARROWDALE_REGEX_PATTERN_ENGINE_H_
#define FARROWDALE_REGEX_PATTERN_ENGINE_H_

#include <string>
#include <string_view>

#include "text/error.h"

namespace farrowdale {

class EPatternError : public Error {
 public:
  EPatternError(const std::string& message, int error_number, int error_position)
      : Error(message), error_number_(error_number), error_position_(error_position) {}
  int ErrorNumber() const { return error_number_; }
  int ErrorPosition() const { return error_position_; }

 private:
  int error_number_;
  int error_position_;
};

class TPatternEngine {
 public:
  TPatternEngine();
  ~TPatternEngine();
  TPatternEngine(const TPatternEngine&) = delete;
  TPatternEngine& operator=(const TPatternEngine&) = delete;

  // The pattern ends at its first zero byte.
  void SetExpression(std::string_view pattern);
  // Searches the subject (up to its first zero byte) from its first character.
  bool Exec(std::string_view subject);
  // Searches again after the last match (one character further after an empty match).
  bool ExecNext();
  // Text of capture slot n (0 = whole match); empty when unset or n outside 0..14.
  std::string MatchedText(int slot) const;
  // 1-based start and length of slot n in the subject; -1 when unset.
  int MatchPos(int slot) const;
  int MatchLen(int slot) const;

  // ... the rest of the engine's state and operations are declared here by the engine.
};

}  // namespace farrowdale

#endif  // FARROWDALE_REGEX_PATTERN_ENGINE_H_
