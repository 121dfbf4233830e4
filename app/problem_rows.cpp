#include "app/problem_rows.h"

#include "text/code_page.h"

namespace farrowdale {

TProblemRow WarningRow(const TRunWarning& warning) {
  return {PathToNarrow(warning.first), 0, 0, false, warning.second};
}

std::vector<TProblemRow> CheckRows(const TCheckResult& result) {
  std::vector<TProblemRow> rows;
  rows.reserve(result.problems.size());
  for (const TCheckProblem& problem : result.problems) {
    rows.push_back({PathToNarrow(problem.path), problem.line, problem.column,
                    problem.severity == ECheckSeverity::kError, problem.message});
  }
  return rows;
}

TMarkerCheckText MakeMarkerCheckText(const TCheckResult& result) {
  return {FormatCheckSummary(result), CheckRows(result)};
}

std::string PlaceText(const TProblemRow& row) {
  if (row.line <= 0) return {};
  return std::to_string(row.line) + ":" + std::to_string(row.column);
}

}  // namespace farrowdale
