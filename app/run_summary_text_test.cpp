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
  check.problems = {
      {"/c/a.txt", 1, 1, ECheckSeverity::kNote, "read as windows-1252"},
      {"/d/b.txt", 4, 7, ECheckSeverity::kWarning, "unclosed", ECheckKind::kNoEnd, "q"},
      {"/t.ini", 2, 1, ECheckSeverity::kError, "bad colour", ECheckKind::kTagSet}};
  check.groups = {{"", ECheckKind::kTagSet, 1, 0, 1, check.problems[2]},
                  {"q", ECheckKind::kNoEnd, 1234, 2, 1, check.problems[1]}};
  const TRunSummaryText text = MakeRunSummaryText(
      summary, RunSummaryProblems({{"/c/a.txt", "read as windows-1252"}}, check));
  // Reports in more than one folder: no folder named.
  EXPECT_EQ(text.facts, (std::vector<std::string>{"Files counted: 3", "Passages found: 12",
                                                  "Reports written: 2, each beside its text file",
                                                  "0.5 second(s) used.",
                                                  "Problems: 3 (1 error, 2 warnings) in 3 files"}));
  // The run's warning concerns the whole file, on its own; the check's reading of the same
  // file is left out, its other problems keep line, column and severity under their rows.
  ASSERT_EQ(text.problems.size(), 3u);
  EXPECT_EQ(PlaceText(text.problems[0]), "");
  EXPECT_EQ(text.problems[0].path, "/c/a.txt");
  EXPECT_EQ(text.problems[0].message, "read as windows-1252");
  EXPECT_EQ(PlaceText(text.problems[1]), "4:7");
  EXPECT_FALSE(text.problems[1].is_error);
  EXPECT_EQ(text.problems[2].path, "/t.ini");
  EXPECT_TRUE(text.problems[2].is_error);
  ASSERT_EQ(text.groups.size(), 2u);
  EXPECT_EQ(text.groups[0].tag, "-");
  EXPECT_EQ(text.groups[0].files, "-");
  EXPECT_EQ(text.groups[0].rows, std::vector<size_t>{2});
  EXPECT_EQ(text.groups[1].kind, "no end marker");
  EXPECT_EQ(text.groups[1].count, "1,234");
  EXPECT_EQ(text.groups[1].first_place, "/d/b.txt:4:7");
  EXPECT_EQ(text.groups[1].rows, std::vector<size_t>{1});
  EXPECT_EQ(text.groups[1].unlisted, "\u2026 and 1,233 more: tag \"q\", no end marker (use --all)");
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
  const TProblemTable alone = RunSummaryProblems({{"/c/a.txt", "cut short"}}, check);
  EXPECT_EQ(alone.rows.size(), 1u);
  EXPECT_TRUE(alone.groups.empty());
}

// A note on how a file was read belongs to no group of the check's table: the check dialog
// lists it on its own, the run summary leaves it to the run's own warning. A file the check
// could not search is an error both show in its group.
TEST(RunSummaryText, ReadNotesStandApartFromTheTable) {
  TCheckResult check;
  check.tags_searched = 1;
  check.problems = {
      {"/c/a.txt", 1, 1, ECheckSeverity::kNote, "read as windows-1252"},
      {"/c/a.txt", 2, 3, ECheckSeverity::kWarning, "stray", ECheckKind::kStrayEnd, "q"},
      {"/c/b.txt", 1, 1, ECheckSeverity::kError, "Search Too Complex", ECheckKind::kMarkerSearch}};
  check.groups = {{"", ECheckKind::kMarkerSearch, 1, 1, 1, check.problems[2]},
                  {"q", ECheckKind::kStrayEnd, 1, 1, 1, check.problems[1]}};
  const TProblemTable table = CheckTable(check);
  ASSERT_EQ(table.rows.size(), 3u);
  EXPECT_EQ(table.rows[0].message, "read as windows-1252");
  ASSERT_EQ(table.groups.size(), 2u);
  EXPECT_EQ(table.groups[0].rows, std::vector<size_t>{2});
  EXPECT_EQ(table.groups[1].rows, std::vector<size_t>{1});

  const TProblemTable summary = RunSummaryProblems({}, check);
  ASSERT_EQ(summary.rows.size(), 2u);
  EXPECT_EQ(summary.rows[0].message, "stray");
  EXPECT_TRUE(summary.rows[1].is_error);
  ASSERT_EQ(summary.groups.size(), 2u);
  EXPECT_EQ(summary.groups[0].rows, std::vector<size_t>{1});
  EXPECT_EQ(summary.groups[0].kind, "marker search");
}

}  // namespace
}  // namespace farrowdale
