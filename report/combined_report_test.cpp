#include <gtest/gtest.h>

#include <stdexcept>

#include "report/report_test_support.h"
#include "report/report_writers.h"
#include "text/code_page.h"

namespace farrowdale {
namespace {

using testing_support::ReadBytes;
using testing_support::ScratchFolder;
using testing_support::U16;
using testing_support::Utf16LeFile;
using testing_support::WriteBytes;

constexpr char kTemplate[] = "{@item}/{@hit}/{@filename}\r\n<{@table_header}>\r\n{@table}\r\n";

// One tag's result in one file: the writer shows only its name, markers, colour and numbers.
TStatInfo Cell(std::string name, int32_t count, int32_t freq) {
  TStatInfo info;
  info.Name = std::move(name);
  info.Markers = "[...]";
  info.Color = "123456";
  info.Count = count;
  info.Freq = freq;
  return info;
}

TTagTotals Totals(int64_t freq, TFrequencyList distinct) {
  return TTagTotals{freq, std::move(distinct)};
}

TEST(CombinedReportTest, ShowsEachFileAndTheTotalsWithCorpusTextEscaped) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  WriteBytes(folder / "resultEx.tpl", kTemplate);
  const TStatArrayArray results = {{Cell("a", 1, 2), Cell("b", 0, 0)},
                                   {Cell("a", 2, 3), Cell("b", 0, 0)}};
  const std::vector<TTagTotals> totals = {Totals(5, {{u"x", 4}, {u"<b>R&D</b> {@filename}", 1}}),
                                          Totals(0, {})};
  ASSERT_TRUE(WriteCombinedReport(results, totals, {"one.txt", "<i>two</i>&.txt"},
                                  CombinedReportTemplate(folder / "resultEx.tpl"),
                                  folder / "result.htm"));
  EXPECT_EQ(
      ReadBytes(folder / "result.htm"),
      Utf16LeFile(
          U16("2/1/result.htm\r\n"
              "<<td class=\"no\">No</td><td class=\"n\">Name</td><td class=\"t\">Tagset</td>"
              "<td class=\"f\">one.txt</td><td class=\"f\">&lt;i&gt;two&lt;/i&gt;&amp;.txt</td>"
              "<td class=\"co\">Count</td><td class=\"fr\">Freq.</td>"
              "<td class=\"c\">Tagged Text(s)</td>>\r\n"
              "<tr><td class=\"no\">1</td><td class=\"n\">a</td>"
              "<td class=\"t\"><font color=\"#123456\">[...]</font></td>"
              "<td><span class=\"c\">1</span>/<span class=\"f\">2</span></td>"
              "<td><span class=\"c\">2</span>/<span class=\"f\">3</span></td>"
              "<td class=\"co\">2</td><td class=\"fr\">5</td><td><div class=\"c\">x (4)<br>"
              "&lt;b&gt;R&amp;D&lt;/b&gt; {@filename} (1)<br></div></td></tr>\r\n\r\n"
              "<tr class=\"o\"><td class=\"no\">2</td><td class=\"n\">b</td>"
              "<td class=\"t\"><font color=\"#123456\">[...]</font></td>"
              "<td><span class=\"c\">0</span>/<span class=\"f\">0</span></td>"
              "<td><span class=\"c\">0</span>/<span class=\"f\">0</span></td>"
              "<td class=\"co\">0</td><td class=\"fr\">0</td><td><div class=\"c\"></div></td></tr>"
              "\r\n")));
}

TEST(CombinedReportTest, AnEmptyTagSetStillListsTheFiles) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  WriteBytes(folder / "resultEx.tpl", "{@item}/{@hit}/{@table_header}/{@table}|");
  ASSERT_TRUE(WriteCombinedReport({{}, {}}, {}, {"a.txt", "b.txt"},
                                  CombinedReportTemplate(folder / "resultEx.tpl"),
                                  folder / "result.htm"));
  EXPECT_EQ(
      ReadBytes(folder / "result.htm"),
      Utf16LeFile(U16("0/0/<td class=\"no\">No</td><td class=\"n\">Name</td>"
                      "<td class=\"t\">Tagset</td><td class=\"f\">a.txt</td>"
                      "<td class=\"f\">b.txt</td><td class=\"co\">Count</td>"
                      "<td class=\"fr\">Freq.</td><td class=\"c\">Tagged Text(s)</td>/|\r\n")));
}

TEST(CombinedReportTest, WritesNothingWithoutFilesOrTemplate) {
  const ScratchFolder folder;
  WriteBytes(folder / "result.htm", "earlier run");
  EXPECT_FALSE(WriteCombinedReport({}, {}, {}, CombinedReportTemplate(folder / "resultEx.tpl"),
                                   folder / "result.htm"));
  EXPECT_FALSE(WriteCombinedReport({{Cell("a", 0, 0)}}, {Totals(0, {})}, {"a.txt"},
                                   CombinedReportTemplate(folder / "resultEx.tpl"),
                                   folder / "result.htm"));
  EXPECT_EQ(ReadBytes(folder / "result.htm"), "earlier run");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(CombinedReportTest, RejectsResultsOfDifferentShapes) {
  const ScratchFolder folder;
  WriteBytes(folder / "resultEx.tpl", kTemplate);
  const auto write = [&](const TStatArrayArray& results, const std::vector<TTagTotals>& totals,
                         const std::vector<std::string>& names) {
    return WriteCombinedReport(results, totals, names,
                               CombinedReportTemplate(folder / "resultEx.tpl"),
                               folder / "result.htm");
  };
  EXPECT_THROW(write({{Cell("a", 0, 0)}, {}}, {Totals(0, {})}, {"a.txt", "b.txt"}),
               std::invalid_argument);
  EXPECT_THROW(write({{Cell("a", 0, 0)}}, {Totals(0, {})}, {}), std::invalid_argument);
  EXPECT_THROW(write({{Cell("a", 0, 0)}}, {}, {"a.txt"}), std::invalid_argument);
}

}  // namespace
}  // namespace farrowdale
