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

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_SEARCH_H_
