#include "app/problem_rows.h"

#include <map>
#include <optional>
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

// Adds the check's groups but those of kind left_out to table, each with its listed problems
// as rows; notes (how a file was read) belong to no group and stand as rows on their own.
void AddCheck(const TCheckResult& check, std::optional<ECheckKind> left_out, TProblemTable& table) {
  std::map<std::pair<std::string, ECheckKind>, size_t> group_of;
  for (const TCheckGroup& group : check.groups) {
    if (group.kind == left_out) continue;
    group_of.emplace(std::pair(group.tag, group.kind), table.groups.size());
    table.groups.push_back(GroupRow(group));
  }
  for (const TCheckProblem& problem : check.problems) {
    if (problem.kind == left_out) continue;
    const auto group = group_of.find(std::pair(problem.tag, problem.kind));
    if (group != group_of.end()) {
      table.groups[group->second].rows.push_back(table.rows.size());
    } else if (ChangesCounts(problem)) {
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
  AddCheck(result, std::nullopt, table);
  return table;
}

TProblemTable RunSummaryProblems(const std::vector<TRunWarning>& warnings,
                                 const TCheckResult& check) {
  TProblemTable table;
  for (const TRunWarning& warning : warnings) table.rows.push_back(WarningRow(warning));
  if (check.tags_searched > 0) AddCheck(check, ECheckKind::kFile, table);
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
