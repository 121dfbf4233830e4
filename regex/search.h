// The search loop: the leftmost start position from which the program matches.
//
// Start positions are tried from `start` up to and including the subject's end; the hints
// skip positions where no match can begin (only the start when anchored, occurrences of the
// first literal, characters of the lead set) and give up at once when a required literal
// does not occur. The first successful attempt is the result.
#ifndef FARROWDALE_REGEX_SEARCH_H_
#define FARROWDALE_REGEX_SEARCH_H_

#include <cstdint>

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

// The matcher must be prepared with the program and the subject. start is 0-based and at
// most the subject's length. Captures are unset first; on success the matcher holds them.
bool SearchSubject(const SearchHints& hints, const SubjectView& subject, int32_t start,
                   Matcher& matcher, MustContainCache& must_contain);

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

  // Call when the text or the program changes: forgets what was learnt about the text.
  void NewSubject() {
    must_contain = MustContainCache();
    matcher.NewSubject();
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
