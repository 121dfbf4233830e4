// Compiled once, searched anywhere: the pattern engine without TPatternEngine's settings
// object, for callers that search many subjects with one pattern (the coding run: one tag,
// every file, several threads).
//
// TCompiledPattern is the compiled program with everything fixed at compile time (modifiers,
// the character sets of \s and \w, line breaks). It never changes after Compile, so one
// std::shared_ptr<const TCompiledPattern> may be shared by any number of threads.
//
// TPatternSearch is the state of searching one subject: captures, backtracking memory, what
// was learnt about the subject's text. One object per thread; make a new one, or call Exec
// again, for the next subject. It keeps the compiled pattern alive.
//
// Example:
//   auto pattern = TCompiledPattern::Compile("<e>(.*?)</e>", TPatternSettings{});
//   TPatternSearch search(pattern);  // per thread
//   for (bool found = search.Exec(text); found; found = search.ExecNext()) {
//     std::string_view passage = search.MatchedView(1);
//   }
#ifndef FARROWDALE_REGEX_PATTERN_SEARCH_H_
#define FARROWDALE_REGEX_PATTERN_SEARCH_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "regex/pattern_engine.h"

namespace farrowdale {

namespace regex {
struct CompiledParts;
struct SearchParts;

// Tests only, before any search runs (not thread-safe): the number of backtracks after which
// a search without back-references remembers failed states (0 restores the default), so that
// short searches take that path too.
void SetMemoThresholdForTesting(int64_t backtracks);
}  // namespace regex

// What a pattern is compiled under; the defaults are a new TPatternEngine's.
struct TPatternSettings {
  int modifiers = TPatternEngine::kDefaultModifiers;
  std::string whitespace{" \t\n\r\f"};
  std::string word_characters{"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_"};
  std::string line_breaks{"\r\n"};
  // Two different characters, or empty for none (otherwise error 128).
  std::string line_paired_separator{"\r\n"};
};

class TCompiledPattern {
 public:
  // Throws EPatternError (compile errors with " (pos N)"; error 1003 for an empty pattern).
  // The pattern ends at its first zero byte.
  static std::shared_ptr<const TCompiledPattern> Compile(std::string_view pattern,
                                                         const TPatternSettings& settings);
  ~TCompiledPattern();
  TCompiledPattern(const TCompiledPattern&) = delete;
  TCompiledPattern& operator=(const TCompiledPattern&) = delete;

  int CaptureGroupCount() const;
  // The program, one node per line (what tests compare).
  std::string Dump() const;

  // Questions a caller that searches many patterns at once can ask (the coding run finds
  // every tag's first literal in one pass over a file).
  //
  // Text every match begins with; empty when none is known. Its occurrences are the only
  // places a match can begin: see TPatternSearch::ExecAmong.
  std::string_view FirstLiteral() const;
  // The bytes every match is, when the pattern is nothing but case-sensitive characters (an
  // escaped character counts as itself): its matches are then exactly their occurrences.
  std::optional<std::string> PlainLiteral() const;
  // When the pattern is a begin text, group 1 holding any characters as few as possible
  // ("(.*?)" with "." matching line breaks), an end text, and nothing else: the two texts.
  // Its matches then pair each occurrence of begin, from where the last match ended, with
  // the first occurrence of end after it.
  struct LiteralPair {
    std::string begin;
    std::string end;
  };
  std::optional<LiteralPair> AsLiteralPair() const;

 private:
  friend class TPatternSearch;
  const regex::CompiledParts& parts() const { return *parts_; }
  explicit TCompiledPattern(std::unique_ptr<regex::CompiledParts> parts);
  std::unique_ptr<regex::CompiledParts> parts_;
};

class TPatternSearch {
 public:
  explicit TPatternSearch(std::shared_ptr<const TCompiledPattern> pattern);
  ~TPatternSearch();
  TPatternSearch(const TPatternSearch&) = delete;
  TPatternSearch& operator=(const TPatternSearch&) = delete;

  // Searches subject from its start. The text is searched where it lies, never copied or
  // scanned for its end.
  // REQUIRES: subject.data()[subject.size()] == '\0' (as std::string guarantees), no zero byte
  // inside the subject, subject.size() < 2^31 - 2, and the text stays alive and unchanged
  // until the next Exec or the object's end (every returned view points into it).
  // Throws EPatternError: error 1018 when a search with back-references runs out of its
  // step budget (prefix the message with the tag and file).
  bool Exec(std::string_view subject);
  // Throws error 1017 when subject is too long to be searched (what Exec would throw).
  static void RequireSearchable(std::string_view subject);
  // Exec with the attempts made only at candidates, which must list in ascending order every
  // position where the pattern's FirstLiteral() starts in subject (found by the caller, who
  // may find many patterns' literals in one pass). ExecNext then goes on among the same
  // candidates. The attempts are those Exec and ExecNext make, search by search, so the
  // matches and the errors are theirs too. Without a first literal the candidates are not
  // needed and this is Exec.
  // REQUIRES: as Exec; candidates stay alive and unchanged until the next Exec or ExecAmong.
  bool ExecAmong(std::string_view subject, std::span<const size_t> candidates);
  // Searches again after the last match (one character further after an empty match).
  bool ExecNext();
  // The 0-based offset where the attempt running or made last began: the candidate tried
  // under ExecAmong, else where the search began. For the place of a search error.
  size_t AttemptOffset() const;
  // 1-based start and length of capture slot n (0 = whole match); -1 when unset.
  int MatchPos(int slot) const;
  int MatchLen(int slot) const;
  // The text of slot n inside the subject; empty when unset.
  std::string_view MatchedView(int slot) const;

 private:
  bool SearchFirst(std::string_view subject);

  std::shared_ptr<const TCompiledPattern> pattern_;
  std::unique_ptr<regex::SearchParts> parts_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_REGEX_PATTERN_SEARCH_H_
