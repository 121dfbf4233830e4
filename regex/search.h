// The search loop: the leftmost start position from which the program matches.
//
// Start positions are tried from `start` up to and including the subject's end; the hints
// skip positions where no match can begin (only the start when anchored, occurrences of the
// first literal, characters of the lead set) and give up at once when a required literal
// does not occur. The first successful attempt is the result.
#ifndef FARROWDALE_REGEX_SEARCH_H_
#define FARROWDALE_REGEX_SEARCH_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "regex/matcher.h"
#include "regex/search_hints.h"

namespace farrowdale::regex {

// Where the required literal last occurs in one subject, found once and kept across the
// searches of that subject (Exec, then every ExecNext): the literal occurs from a start on
// exactly when its last occurrence lies there or later. Reset it for a new subject or program.
struct MustContainCache {
  bool known = false;
  int32_t last = -1;  // -1: the literal does not occur at all
};

// Where a search may begin when the caller found the first literal's occurrences itself:
// positions, ascending, every occurrence of hints.start_literal in the subject; next is the
// index of the first one not yet passed (searches move forward, so it only grows).
struct StartCandidates {
  std::span<const size_t> positions;
  size_t next = 0;
};

// The matcher must be prepared with the program and the subject. start is 0-based and at
// most the subject's length. Captures are unset first; on success the matcher holds them.
// With candidates (and a first literal), attempts are made at those from start on instead of
// at the literal's occurrences found here: the same positions. *attempt is kept at the
// position being tried.
bool SearchSubject(const SearchHints& hints, const SubjectView& subject, int32_t start,
                   Matcher& matcher, MustContainCache& must_contain,
                   StartCandidates* candidates = nullptr, int32_t* attempt = nullptr);

// A compiled pattern: the program, its hints (views into program.code, so never copied) and
// the character settings a search reads (in a SubjectView without text).
struct CompiledParts {
  Program program;
  SearchHints hints;
  SubjectView settings;
};

// The state of searching one subject with one program.
struct SearchParts {
  Matcher matcher;
  MustContainCache must_contain;
  SubjectView view;  // the settings and the subject's text
  // Set for a search among the caller's candidates (TPatternSearch::ExecAmong).
  std::optional<StartCandidates> candidates;
  int32_t attempt = 0;  // where the attempt running or made last began

  // Call when the text or the program changes: forgets what was learnt about the text.
  void NewSubject() {
    must_contain = MustContainCache();
    matcher.NewSubject();
    candidates.reset();
  }
  // Searches view's text from the 1-based offset (false beyond length + 1); errors 1004,
  // 1006 and those of the search.
  bool SearchFrom(const Program& program, const SearchHints& hints, int offset);
  // The offset after the last match (one further after an empty match); error 1007 when none.
  int NextOffset() const;
  // 1-based start and length of capture slot n of the last match; -1 when unset.
  int MatchPos(int slot) const;
  int MatchLen(int slot) const;
};

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_SEARCH_H_
