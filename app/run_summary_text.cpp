#include "app/run_summary_text.h"

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

}  // namespace

TRunSummaryText MakeRunSummaryText(const TRunSummary& summary, TProblemTable problems) {
  TRunSummaryText text;
  text.facts = {"Files counted: " + std::to_string(summary.files_counted),
                "Passages found: " + std::to_string(summary.passages_found),
                ReportsLine(summary.reports), summary.time_message};
  text.problems = std::move(problems.rows);
  text.groups = std::move(problems.groups);
  text.notes = std::move(problems.notes);
  text.has_report = !summary.reports.empty();
  return text;
}

}  // namespace farrowdale
