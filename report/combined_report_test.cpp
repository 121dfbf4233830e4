#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "report/report_writers.h"
#include "report/table_fragments.h"
#include "testing/file_bytes.h"
#include "testing/scratch_folder.h"
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
  const TTagTotalsList totals = {Totals(5, {{u"x", 4}, {u"<b>R&D</b> {@filename}", 1}}),
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

size_t CountOf(const std::string& text, std::string_view piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++count;
  }
  return count;
}

// The report's text, for reports of ASCII only: every other byte of UTF-16 LE after the mark.
std::string AsciiOf(const std::string& utf16le) {
  std::string text;
  for (size_t i = 2; i < utf16le.size(); i += 2) text += utf16le[i];
  return text;
}

// Up to 12 files stand side by side; past that the body says so for the template's styles,
// and past kMatrixFiles the header and each row end in one cell for the files left out.
TEST(CombinedReportTest, ManyFilesChangeTheLayoutAndPastTheMatrixAreCountedNotShown) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  WriteBytes(folder / "resultEx.tpl", "<body{@layout}>|{@table_header}|{@table}");
  for (const size_t files : {size_t{12}, size_t{13}, kMatrixFiles, kMatrixFiles + 2}) {
    const TStatArrayArray results(files, TStatArray{Cell("a", 1, 2)});
    const TTagTotalsList totals = {Totals(2 * static_cast<int64_t>(files), {})};
    const std::vector<std::string> names(files, "f.txt");
    ASSERT_TRUE(WriteCombinedReport(results, totals, names,
                                    CombinedReportTemplate(folder / "resultEx.tpl"),
                                    folder / "result.htm"));
    const std::string report = AsciiOf(ReadBytes(folder / "result.htm"));
    EXPECT_EQ(report.starts_with("<body class=\"many-files\">"), files > 12) << files;
    const size_t shown = std::min(files, kMatrixFiles);
    EXPECT_EQ(CountOf(report, "<td class=\"f\">f.txt</td>"), shown) << files;
    EXPECT_EQ(CountOf(report, "<td><span class=\"c\">1</span>"), shown) << files;
    const bool left_out = files > kMatrixFiles;
    EXPECT_EQ(CountOf(report,
                      "<td class=\"fx\">2 more files: their counts are in "
                      "result_counts.csv, written with the tables</td>"),
              left_out ? 1U : 0U)
        << files;
    EXPECT_EQ(CountOf(report, "<td class=\"fx\">&hellip;</td><td class=\"co\">"),
              left_out ? 1U : 0U)
        << files;
  }
}

TEST(CombinedReportTest, AnEmptyTagSetStillListsTheFiles) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  WriteBytes(folder / "resultEx.tpl", "{@item}/{@hit}/{@table_header}/{@table}|");
  ASSERT_TRUE(WriteCombinedReport({{}, {}}, TTagTotalsList(), {"a.txt", "b.txt"},
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
  EXPECT_FALSE(WriteCombinedReport({}, TTagTotalsList(), {},
                                   CombinedReportTemplate(folder / "resultEx.tpl"),
                                   folder / "result.htm"));
  EXPECT_FALSE(WriteCombinedReport({{Cell("a", 0, 0)}}, TTagTotalsList{Totals(0, {})}, {"a.txt"},
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
  const auto write = [&](const TStatArrayArray& results, const TTagTotalsList& totals,
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
