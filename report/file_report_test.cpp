#include <gtest/gtest.h>

#include "report/report_writers.h"
#include "testing/file_bytes.h"
#include "testing/scratch_folder.h"
#include "text/code_page.h"
#include "text/error.h"

namespace farrowdale {
namespace {

using testing_support::ReadBytes;
using testing_support::ScratchFolder;
using testing_support::U16;
using testing_support::Utf16LeFile;
using testing_support::WriteBytes;

constexpr char kTemplate[] =
    "{@item}/{@hit}/{@copy}/{@author}/{@filename}/{@table_header}\r\n{@table}\r\n";

TStatInfo Row(std::string name, int32_t freq, TFrequencyList distinct) {
  TStatInfo info;
  info.Name = std::move(name);
  info.Markers = "<" + info.Name + ">...</" + info.Name + ">";
  info.Color = "0000FF";
  info.Count = static_cast<int32_t>(distinct.size());
  info.Freq = freq;
  info.Distinct = std::move(distinct);
  return info;
}

TEST(FileReportTest, WritesOneRowPerTagWithEscapedPassagesAndCountsTheTagsFound) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  WriteBytes(folder / "result.tpl", kTemplate);
  const TStatArray results = {Row("a", 3, {{u"x", 2}, {u"y", 1}}), Row("b", 0, {}),
                              Row("c", 1, {{u"<b>z</b> & {@copy}", 1}})};
  ASSERT_TRUE(
      WriteFileReport(results, FileReportTemplate(folder / "result.tpl"), folder / "t_result.htm"));
  EXPECT_EQ(
      ReadBytes(folder / "t_result.htm"),
      Utf16LeFile(U16(
          "3/2/(c) 2026 Morrow Farrowdale/By the Morrow Farrowdale developers/t_result.htm/"
          "{@table_header}\r\n"
          "<tr><td class=\"no\">1</td><td class=\"n\">a</td><td class=\"t\"><font "
          "color=\"#0000FF\">&lt;a&gt;...&lt;/a&gt;</font></td><td class=\"co\">2</td>"
          "<td class=\"f\">3</td><td class=\"c\">x (2) <br>y (1) <br></td></tr>\r\n\r\n"
          "<tr class=\"o\"><td class=\"no\">2</td><td class=\"n\">b</td><td class=\"t\"><font "
          "color=\"#0000FF\">&lt;b&gt;...&lt;/b&gt;</font></td><td class=\"co\">0</td>"
          "<td class=\"f\">0</td><td class=\"c\"></td></tr>"
          "<tr><td class=\"no\">3</td><td class=\"n\">c</td><td class=\"t\"><font "
          "color=\"#0000FF\">&lt;c&gt;...&lt;/c&gt;</font></td><td class=\"co\">1</td>"
          "<td class=\"f\">1</td><td class=\"c\">&lt;b&gt;z&lt;/b&gt; &amp; {@copy} (1) <br></td>"
          "</tr>\r\n")));
}

TEST(FileReportTest, WritesNothingWithoutResultsOrTemplate) {
  const ScratchFolder folder;
  WriteBytes(folder / "old_result.htm", "earlier run");
  EXPECT_FALSE(
      WriteFileReport({}, FileReportTemplate(folder / "result.tpl"), folder / "old_result.htm"));
  EXPECT_EQ(ReadBytes(folder / "old_result.htm"), "earlier run");

  const TStatArray results = {Row("a", 0, {})};
  EXPECT_FALSE(WriteFileReport(results, FileReportTemplate(folder / "result.tpl"),
                               folder / "new_result.htm"));
  std::filesystem::create_directory(folder / "result.tpl");
  EXPECT_FALSE(WriteFileReport(results, FileReportTemplate(folder / "result.tpl"),
                               folder / "new_result.htm"));
  EXPECT_FALSE(std::filesystem::exists(folder / "new_result.htm"));
}

TEST(FileReportTest, AReportThatCannotBeCreatedThrows) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  WriteBytes(folder / "result.tpl", kTemplate);
  const TStatArray results = {Row("a", 0, {})};
  try {
    WriteFileReport(results, FileReportTemplate(folder / "result.tpl"),
                    folder / "no" / "a_result.htm");
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()).rfind("Cannot create file \"", 0), 0u) << error.what();
  }
}

}  // namespace
}  // namespace farrowdale
