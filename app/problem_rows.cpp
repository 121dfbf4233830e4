#include "app/problem_rows.h"

#include <map>
#include <utility>

#include "count/check_summary.h"
#include "text/code_page.h"

namespace farrowdale {

TProblemRow WarningRow(const TRunWarning& warning) {
  return {PathToNarrow(warning.first), 0, 0, false, warning.second};
}

namespace {

TProblemGroup GroupRow(const TCheckGroup& group) {
  return {GroupTag(group),
          CheckKindName(group.kind),
          GroupedNumber(group.count),
          group.kind == ECheckKind::kTagSet ? "-" : GroupedNumber(group.files),
          ProblemPlace(group.first),
          {},
          FormatUnlistedLine(group)};
}

// Whether the table shows the check's notes on how files were read.
enum class EReadNotes { kShown, kLeftOut };

// Adds the check's groups to table, each with its listed problems as rows; notes (how a file
// was read) belong to no group and stand as rows on their own, unless left out.
void AddCheck(const TCheckResult& check, EReadNotes read_notes, TProblemTable& table) {
  std::map<std::pair<std::string, ECheckKind>, size_t> group_of;
  for (const TCheckGroup& group : check.groups) {
    group_of.emplace(std::pair(group.tag, group.kind), table.groups.size());
    table.groups.push_back(GroupRow(group));
  }
  for (const TCheckProblem& problem : check.problems) {
    if (!ChangesCounts(problem)) {
      // A note is in no group, not even that of the files the check could not read.
      if (read_notes == EReadNotes::kLeftOut) continue;
    } else if (const auto group = group_of.find(std::pair(problem.tag, problem.kind));
               group != group_of.end()) {
      table.groups[group->second].rows.push_back(table.rows.size());
    } else {
      continue;
    }
    table.rows.push_back({PathToNarrow(problem.path), problem.line, problem.column,
                          problem.severity == ECheckSeverity::kError, problem.message});
  }
  for (const TCheckProblem& note : check.grouping_notes) table.notes.push_back(note.message);
  for (const TSharedEndNote& note : check.notes) table.notes.push_back(SharedEndNoteMessage(note));
}

}  // namespace

TProblemTable CheckTable(const TCheckResult& result) {
  TProblemTable table;
  AddCheck(result, EReadNotes::kShown, table);
  return table;
}

TProblemTable RunSummaryProblems(const std::vector<TRunWarning>& warnings,
                                 const TCheckResult& check) {
  TProblemTable table;
  for (const TRunWarning& warning : warnings) table.rows.push_back(WarningRow(warning));
  if (check.tags_searched > 0) AddCheck(check, EReadNotes::kLeftOut, table);
  return table;
}

TMarkerCheckText MakeMarkerCheckText(const TCheckResult& result) {
  TProblemTable table = CheckTable(result);
  return {FormatCheckSummary(result), std::move(table.rows), std::move(table.groups),
          std::move(table.notes)};
}

std::string PlaceText(const TProblemRow& row) {
  if (row.line <= 0) return {};
  return std::to_string(row.line) + ":" + std::to_string(row.column);
}

}  // namespace farrowdale
