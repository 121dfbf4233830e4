#include "app/run_summary_text.h"

#include <gtest/gtest.h>

#include "text/code_page.h"

namespace farrowdale {
namespace {

TEST(RunSummaryText, WarningsBecomeProblemLinesAndReportsSayWhere) {
  SetSystemCodePage("UTF-8");
  TRunSummary summary;
  summary.files_counted = 3;
  summary.passages_found = 12;
  summary.reports = {"/c/a_result.htm", "/d/b_result.htm"};
  summary.time_message = "0.5 second(s) used.";
  const TRunSummaryText text = MakeRunSummaryText(
      summary, {{"/c/a.txt", "read as windows-1252"}, {"/d/b.txt", "cut short at a zero byte"}});
  // Reports in more than one folder: no folder named.
  EXPECT_EQ(text.facts, (std::vector<std::string>{"Files counted: 3", "Passages found: 12",
                                                  "Reports written: 2, each beside its text file",
                                                  "0.5 second(s) used."}));
  EXPECT_EQ(text.problems, (std::vector<std::string>{"/c/a.txt: read as windows-1252",
                                                     "/d/b.txt: cut short at a zero byte"}));
  EXPECT_TRUE(text.has_report);

  // Nothing written (no ticked file in per-file mode): nothing to open.
  const TRunSummaryText empty = MakeRunSummaryText(TRunSummary{}, {});
  EXPECT_EQ(empty.facts[2], "No report written.");
  EXPECT_FALSE(empty.has_report);
  EXPECT_TRUE(empty.problems.empty());
}

}  // namespace
}  // namespace farrowdale
