// The marker check's summary as lines of text, for the command line and the window alike:
// the table of problems by tag and kind, the line for the problems a limited listing leaves
// out, and the note for end markers set apart as closing other elements.
#ifndef FARROWDALE_COUNT_CHECK_SUMMARY_H_
#define FARROWDALE_COUNT_CHECK_SUMMARY_H_

#include <cstdint>
#include <string>
#include <vector>

#include "count/marker_check.h"

namespace farrowdale {

// "stray end marker", "nesting", ...: the kind as the table names it.
const char* CheckKindName(ECheckKind kind);
// "120,431": digits in groups of three.
std::string GroupedNumber(int64_t number);
// "PATH:LINE:COLUMN" of a problem.
std::string ProblemPlace(const TCheckProblem& problem);
// The group's tag as the table names it: the tag's name, or "-" for the tag set and the
// files' reading and marker search.
std::string GroupTag(const TCheckGroup& group);

// The problems of a group the listing left out:
// "… and 7 more: tag "person", stray end marker (use --all)"; empty when none were.
std::string FormatUnlistedLine(const TCheckGroup& group);
// The table by tag and kind: a heading, then one line per group with its problems, the text
// files that hold them ("-" for the tag set) and the first one's place, columns aligned.
// Empty when there is no group.
std::vector<std::string> FormatCheckTable(const std::vector<TCheckGroup>& groups);
// "tag "person": 120,431 "</rs>" close other <rs> elements; not counted as problems".
std::string SharedEndNoteMessage(const TSharedEndNote& note);
// The note as a line at the tag's section: "PATH:LINE:1: note: MESSAGE".
std::string FormatSharedEndNote(const TSharedEndNote& note);

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_CHECK_SUMMARY_H_
