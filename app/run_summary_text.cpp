#include "app/run_summary_text.h"

#include <algorithm>
#include <set>
#include <string>
#include <utility>

#include "run/file_list.h"
#include "text/code_page.h"

namespace farrowdale {

namespace {

// Where the reports went: the one report's path, or the count and their common folder.
std::string ReportsLine(const std::vector<std::filesystem::path>& reports) {
  if (reports.empty()) return "No report written.";
  if (reports.size() == 1) return "Report written: " + PathToNarrow(reports.front());
  const std::filesystem::path folder = ItemFolder(reports.front());
  bool one_folder = true;
  for (const auto& report : reports) one_folder = one_folder && ItemFolder(report) == folder;
  std::string line =
      "Reports written: " + std::to_string(reports.size()) + ", each beside its text file";
  if (one_folder) line += ", in " + PathToNarrow(folder);
  return line;
}

// How many problems of each kind, and in how many files: "Problems: 3 (1 error, 2 warnings)
// in 2 files".
std::string ProblemCountsLine(const std::vector<TProblemRow>& problems) {
  const auto errors = std::count_if(problems.begin(), problems.end(),
                                    [](const TProblemRow& row) { return row.is_error; });
  const auto warnings = static_cast<std::ptrdiff_t>(problems.size()) - errors;
  std::set<std::string> files;
  for (const TProblemRow& row : problems) files.insert(row.path);
  auto counted = [](std::ptrdiff_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
  };
  return "Problems: " + std::to_string(problems.size()) + " (" + counted(errors, "error") + ", " +
         counted(warnings, "warning") + ") in " +
         counted(static_cast<std::ptrdiff_t>(files.size()), "file");
}

}  // namespace

TRunSummaryText MakeRunSummaryText(const TRunSummary& summary, TProblemTable problems) {
  TRunSummaryText text;
  text.facts = {"Files counted: " + std::to_string(summary.files_counted),
                "Passages found: " + std::to_string(summary.passages_found),
                ReportsLine(summary.reports), summary.time_message};
  if (!problems.rows.empty()) text.facts.push_back(ProblemCountsLine(problems.rows));
  for (const auto& report : summary.reports)
    text.written.push_back({report, TWrittenKind::kReport});
  for (const auto& table : summary.tables) text.written.push_back({table, TWrittenKind::kTable});
  if (!text.written.empty()) text.folder = ItemFolder(text.written.front().path);
  text.problems = std::move(problems.rows);
  text.groups = std::move(problems.groups);
  text.notes = std::move(problems.notes);
  text.has_report = !summary.reports.empty();
  return text;
}

}  // namespace farrowdale
