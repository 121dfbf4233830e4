// TPatternEngine: the backtracking pattern engine over 8-bit text (one byte, one character).
// Usage: construct, SetExpression, Exec(subject), then MatchedText(n) and ExecNext() while
// the last call returned true. Compilation is deferred to the first search; compile errors
// and run-time errors are thrown as EPatternError.
//
// A search returns the leftmost position where the pattern matches and, there, the first
// match in the engine's preference order (not the longest). Patterns and subjects end at
// their first zero byte.
//
// Ownership and validity: Exec copies the subject into the engine, and every position and
// MatchedText refers to that copy. ExecInPlace borrows the caller's string instead: it must
// stay alive and unchanged until the next Exec/ExecInPlace or the engine's end.
//
// Threads: one object must not be used by two threads at once; separate objects are
// independent. To search many subjects with one pattern, possibly from several threads,
// compile it once with TCompiledPattern and give each thread a TPatternSearch
// (regex/pattern_search.h).
//
// Bounds: no search runs away. Without back-references a search never runs the program twice
// from the same state (program point, position and what of the active counted loops still
// matters), so its time is bounded by program size x subject length and no such search is
// refused for its size; the states it remembers cost at most a bit per (program point where
// paths join, position), a few rows of subject length / 8 bytes. With back-references a
// search has a step budget and throws error 1018 when it runs out. Backtracking memory is
// bounded, and exceeding it throws error 1016 rather than failing silently.
//
// REQUIRES: subjects shorter than 2^31 - 2 bytes (else error 1017).
#ifndef FARROWDALE_REGEX_PATTERN_ENGINE_H_
#define FARROWDALE_REGEX_PATTERN_ENGINE_H_

#include <memory>
#include <string>
#include <string_view>

#include "text/error.h"

namespace farrowdale {

// Message: ErrorText(ErrorNumber), followed by " (pos N)" for compile errors (numbers below
// 1000), N being the zero-based offset in the pattern where compilation stopped.
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
  // Bits of ModifierSet.
  static constexpr int kModifierI = 1;   // case-insensitive
  static constexpr int kModifierR = 2;   // Cyrillic range extension in classes (windows-1251)
  static constexpr int kModifierS = 4;   // "." matches line breaks too
  static constexpr int kModifierG = 8;   // quantifiers greedy ("?" after one makes it lazy)
  static constexpr int kModifierM = 16;  // "^" and "$" also at line breaks
  static constexpr int kModifierX = 32;  // extended syntax: white space and "#" comments
  static constexpr int kAllModifiers =
      kModifierI | kModifierR | kModifierS | kModifierG | kModifierM | kModifierX;
  // A new object's modifiers: r, s and g on.
  static constexpr int kDefaultModifiers = kModifierR | kModifierS | kModifierG;

  TPatternEngine();
  ~TPatternEngine();
  TPatternEngine(const TPatternEngine&) = delete;
  TPatternEngine& operator=(const TPatternEngine&) = delete;

  // The pattern ends at its first zero byte.
  void SetExpression(std::string_view pattern);
  const std::string& Expression() const;
  // Searches the subject (up to its first zero byte) from its first character.
  bool Exec(std::string_view subject);
  // Exec without the engine's own copy of the subject: the subject is searched where it lies
  // and must stay alive and unchanged until the last ExecNext or MatchedText (the coding run
  // searches one file's text with every tag, so this spares a copy per tag).
  bool ExecInPlace(const std::string& subject);
  // Searches again after the last match (one character further after an empty match).
  bool ExecNext();
  // Searches the current subject from the 1-based offset (length + 1 is its end, where only
  // an empty match can be found; beyond that the result is false).
  bool SearchFrom(int offset);
  // Text of capture slot n (0 = whole match); empty when unset or n outside 0..14.
  std::string MatchedText(int slot) const;
  // 1-based start and length of slot n in the subject; -1 when unset.
  int MatchPos(int slot) const;
  int MatchLen(int slot) const;
  // Number of capture groups of the compiled pattern (0 before a successful compilation).
  int CaptureGroupCount() const;

  int ModifierSet() const;
  // Takes effect at the next search (the pattern is then compiled again).
  void SetModifierSet(int modifiers);

  // The two-character line break that "^", "$" (under m) and "." (without s) never split:
  // two different characters, or the empty text for none; anything else raises error 128.
  void SetLinePairedSeparator(std::string_view pair);
  std::string LinePairedSeparator() const;
  // Line-break characters for "^", "$" under m and "." without s (default CR, LF).
  void SetLineBreakSet(std::string_view chars);
  const std::string& LineBreakSet() const;
  // Characters of \s (default space, TAB, LF, CR, FF) and of \w, \b, \B (default ASCII
  // letters, digits and "_"). Used when the pattern is next compiled.
  void SetWhitespaceSet(std::string_view chars);
  const std::string& WhitespaceSet() const;
  void SetWordCharacterSet(std::string_view chars);
  const std::string& WordCharacterSet() const;

  // The message for an error number ("Unknown error" for numbers without one).
  static std::string ErrorText(int error_number);
  // Number of the last error this object raised (0 = none yet).
  int LastError() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_REGEX_PATTERN_ENGINE_H_
