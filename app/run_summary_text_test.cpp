#include "app/run_summary_text.h"

#include <gtest/gtest.h>

#include "app/problem_rows.h"
#include "text/code_page.h"

namespace farrowdale {
namespace {

TEST(RunSummaryText, ReportsSayWhereAndProblemsKeepTheirPlaces) {
  SetSystemCodePage("UTF-8");
  TRunSummary summary;
  summary.files_counted = 3;
  summary.passages_found = 12;
  summary.reports = {"/c/a_result.htm", "/d/b_result.htm"};
  summary.time_message = "0.5 second(s) used.";
  TCheckResult check;
  check.tags_searched = 1;
  check.problems = {{"/c/a.txt", 1, 1, ECheckSeverity::kWarning, "read as windows-1252"},
                    {"/d/b.txt", 4, 7, ECheckSeverity::kWarning, "unclosed"},
                    {"/t.ini", 2, 1, ECheckSeverity::kError, "bad colour"}};
  const TRunSummaryText text = MakeRunSummaryText(
      summary, RunSummaryProblems({{"/c/a.txt", "read as windows-1252"}}, check));
  // Reports in more than one folder: no folder named.
  EXPECT_EQ(text.facts, (std::vector<std::string>{"Files counted: 3", "Passages found: 12",
                                                  "Reports written: 2, each beside its text file",
                                                  "0.5 second(s) used.",
                                                  "Problems: 3 (1 error, 2 warnings) in 3 files"}));
  // A warning concerns the whole file and is listed once, though the check reads the file
  // the same way; check problems keep line, column and severity.
  ASSERT_EQ(text.problems.size(), 3u);
  EXPECT_EQ(PlaceText(text.problems[0]), "");
  EXPECT_EQ(text.problems[0].path, "/c/a.txt");
  EXPECT_EQ(text.problems[0].message, "read as windows-1252");
  EXPECT_EQ(PlaceText(text.problems[1]), "4:7");
  EXPECT_FALSE(text.problems[1].is_error);
  EXPECT_EQ(text.problems[2].path, "/t.ini");
  EXPECT_TRUE(text.problems[2].is_error);
  EXPECT_TRUE(text.has_report);
  // Every report, then the tables; "Open Folder" opens the first report's folder.
  summary.tables = {"/c/result_counts.csv"};
  const TRunSummaryText with_tables = MakeRunSummaryText(summary, {});
  ASSERT_EQ(with_tables.written.size(), 3u);
  EXPECT_EQ(with_tables.written[1].path, "/d/b_result.htm");
  EXPECT_TRUE(with_tables.written[2].kind == TWrittenKind::kTable);
  EXPECT_EQ(with_tables.folder, "/c");
  EXPECT_EQ(with_tables.facts.size(), 4u);  // no problems, no problem line

  // Nothing written (no ticked file in per-file mode): nothing to open.
  const TRunSummaryText empty = MakeRunSummaryText(TRunSummary{}, {});
  EXPECT_EQ(empty.facts[2], "No report written.");
  EXPECT_FALSE(empty.has_report);
  EXPECT_TRUE(empty.problems.empty());

  // A check that searched no tag adds nothing to the run's own warnings.
  check.tags_searched = 0;
  EXPECT_EQ(RunSummaryProblems({{"/c/a.txt", "cut short"}}, check).size(), 1u);
}

}  // namespace
}  // namespace farrowdale
