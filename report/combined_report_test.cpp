#include <gtest/gtest.h>

#include <stdexcept>

#include "report/report_test_support.h"
#include "report/report_writers.h"
#include "text/code_page.h"
#include "text/error.h"

namespace farrowdale {
namespace {

using testing_support::ReadBytes;
using testing_support::ScratchFolder;
using testing_support::U16;
using testing_support::Utf16LeFile;
using testing_support::WriteBytes;

constexpr char kTemplate[] = "{@item}/{@hit}/{@filename}\r\n<{@table_header}>\r\n{@table}\r\n";

// One tag's result in one file as a one-file run records it: the sorted passages, each
// followed by CR LF, then one more CR LF.
TStatInfo Cell(std::string name, int32_t count, int32_t freq, std::u16string texts) {
  TStatInfo info;
  info.Name = std::move(name);
  info.Markers = "[...]";
  info.Color = "123456";
  info.Count = count;
  info.Freq = freq;
  info.Texts = std::move(texts);
  return info;
}

constexpr char kRowStart1[] =
    "<tr><td class=\"no\">1</td><td class=\"n\">a</td>"
    "<td class=\"t\"><font color=\"#123456\">[...]</font></td>";

TEST(CombinedReportTest, RecountsThePooledPassagesOverAllFiles) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  WriteBytes(folder / "resultEx.tpl", kTemplate);
  const TStatArrayArray results = {
      {Cell("a", 1, 2, u"x\r\nx\r\n\r\n"), Cell("b", 0, 0, u""),
       Cell("c", 1, 1, u"p\r\nq\r\n\r\n")},
      {Cell("a", 1, 3, u"x\r\nx\r\nx\r\n\r\n"), Cell("b", 0, 0, u""), Cell("c", 0, 0, u"")}};
  ASSERT_TRUE(WriteCombinedReport(results, {"one.txt", "<i>two</i>.txt"}, folder / "resultEx.tpl",
                                  folder / "result.htm"));
  EXPECT_EQ(
      ReadBytes(folder / "result.htm"),
      Utf16LeFile(
          U16("3/2/result.htm\r\n"
              "<<td class=\"no\">No</td><td class=\"n\">Name</td><td class=\"t\">Tagset</td>"
              "<td class=\"f\">one.txt</td><td class=\"f\"><i>two</i>.txt</td>"
              "<td class=\"co\">Count</td><td class=\"fr\">Freq.</td>"
              "<td class=\"c\">Tagged Text(s)</td>>\r\n" +
              std::string(kRowStart1) +
              "<td><span class=\"c\">1</span>/<span class=\"f\">2</span></td>"
              "<td><span class=\"c\">1</span>/<span class=\"f\">3</span></td>"
              "<td class=\"co\">1</td><td class=\"fr\">5</td>"
              "<td><div class=\"c\">x (5)<br></div></td></tr>\r\n\r\n"
              "<tr class=\"o\"><td class=\"no\">2</td><td class=\"n\">b</td>"
              "<td class=\"t\"><font color=\"#123456\">[...]</font></td>"
              "<td><span class=\"c\">0</span>/<span class=\"f\">0</span></td>"
              "<td><span class=\"c\">0</span>/<span class=\"f\">0</span></td>"
              "<td class=\"co\">0</td><td class=\"fr\">0</td><td><div class=\"c\"></div></td></tr>"
              // A passage over two lines counts once in its file but as two texts when pooled;
              // equal counts keep the frequency list's tie order.
              "<tr><td class=\"no\">3</td><td class=\"n\">c</td>"
              "<td class=\"t\"><font color=\"#123456\">[...]</font></td>"
              "<td><span class=\"c\">1</span>/<span class=\"f\">1</span></td>"
              "<td><span class=\"c\">0</span>/<span class=\"f\">0</span></td>"
              "<td class=\"co\">2</td><td class=\"fr\">1</td>"
              "<td><div class=\"c\">q (1)<br>p (1)<br></div></td></tr>\r\n")));
}

TEST(CombinedReportTest, AnEmptyTagSetStillListsTheFiles) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  WriteBytes(folder / "resultEx.tpl", "{@item}/{@hit}/{@table_header}/{@table}|");
  ASSERT_TRUE(WriteCombinedReport({{}, {}}, {"a.txt", "b.txt"}, folder / "resultEx.tpl",
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
  EXPECT_FALSE(WriteCombinedReport({}, {}, folder / "resultEx.tpl", folder / "result.htm"));
  EXPECT_FALSE(WriteCombinedReport({{Cell("a", 0, 0, u"")}}, {"a.txt"}, folder / "resultEx.tpl",
                                   folder / "result.htm"));
  EXPECT_EQ(ReadBytes(folder / "result.htm"), "earlier run");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(CombinedReportTest, APassageWithAnEqualsSignEndsTheReport) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  WriteBytes(folder / "resultEx.tpl", kTemplate);
  const TStatArrayArray results = {{Cell("a", 2, 2, u"k=v\r\nz\r\n\r\n")}};
  try {
    WriteCombinedReport(results, {"a.txt"}, folder / "resultEx.tpl", folder / "result.htm");
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "'v=1' is not a valid integer value");
  }
  EXPECT_FALSE(std::filesystem::exists(folder / "result.htm"));
}

TEST(CombinedReportTest, RejectsResultsOfDifferentShapes) {
  const ScratchFolder folder;
  WriteBytes(folder / "resultEx.tpl", kTemplate);
  EXPECT_THROW(WriteCombinedReport({{Cell("a", 0, 0, u"")}, {}}, {"a.txt", "b.txt"},
                                   folder / "resultEx.tpl", folder / "result.htm"),
               std::invalid_argument);
  EXPECT_THROW(WriteCombinedReport({{Cell("a", 0, 0, u"")}}, {}, folder / "resultEx.tpl",
                                   folder / "result.htm"),
               std::invalid_argument);
}

}  // namespace
}  // namespace farrowdale
