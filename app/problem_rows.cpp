#include "app/problem_rows.h"

#include <algorithm>
#include <cstddef>
#include <utility>

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

std::vector<TProblemRow> RunSummaryProblems(const std::vector<TRunWarning>& warnings,
                                            const TCheckResult& check) {
  std::vector<TProblemRow> rows;
  for (const TRunWarning& warning : warnings) rows.push_back(WarningRow(warning));
  if (check.tags_searched == 0) return rows;
  const size_t given = rows.size();
  for (TProblemRow& row : CheckRows(check)) {
    const auto same = [&row](const TProblemRow& warning) {
      return warning.path == row.path && warning.message == row.message;
    };
    if (std::none_of(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(given), same)) {
      rows.push_back(std::move(row));
    }
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
