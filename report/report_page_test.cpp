#include "report/report_page.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

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

using Values = std::map<std::string_view, std::string>;

// The report a template of template_bytes gives with the writer's placeholders (in order)
// filled with narrow values; the values' order is the placeholders' order.
std::string Render(const ScratchFolder& folder, std::string_view template_bytes,
                   const std::vector<std::string_view>& placeholders, const Values& values = {},
                   const std::filesystem::path& report = "r.htm") {
  WriteBytes(folder / "t.tpl", template_bytes);
  const TReportTemplate page(folder / "t.tpl", placeholders);
  RenderReport(page, folder / report, [&](std::string_view placeholder, TReportStream& out) {
    out.AppendNarrow(values.at(placeholder));
  }).Commit();
  return ReadBytes(folder / report);
}

TEST(ReportPageTest, ReplacesOnlyTheFirstExactOccurrenceOfEach) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  EXPECT_EQ(Render(folder, "{@ITEM} {@hit} {@item} {@item}\r\n{@hit}",
                   {"{@item}", "{@nothing}", "{@hit}"}, {{"{@item}", "12"}, {"{@hit}", "3"}}),
            Utf16LeFile(u"{@ITEM} 3 12 {@item}\r\n{@hit}\r\n"));
}

TEST(ReportPageTest, ValueLineBreaksSplitTheLinesAgain) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  EXPECT_EQ(Render(folder, "<t>{@table}</t>", {"{@table}"}, {{"{@table}", "a\n\rb\rc\nd"}}),
            Utf16LeFile(u"<t>a\r\n\r\nb\r\nc\r\nd</t>\r\n"));
}

TEST(ReportPageTest, TheTextPassesThroughTheCodePage) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  // U+0416 is not in windows-1252 and has no best fit there; the euro sign is.
  EXPECT_EQ(Render(folder, Utf16LeFile(u"\u0416 \u20AC {@hit}"), {"{@hit}"}, {{"{@hit}", "\xE9"}}),
            Utf16LeFile(u"? \u20AC \u00E9\r\n"));
}

// Values are never searched again: a passage or file name that reads like a placeholder is
// shown as it is, and the template's own placeholder is the one replaced.
TEST(ReportPageTest, OnlyTheTemplatesOwnTextIsSearched) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  EXPECT_EQ(Render(folder, "{@table}|{@filename}|{@copy}|{@author}|{@table_header}", {"{@table}"},
                   {{"{@table}", "[{@filename}{@copy}]"}}, "a&b_result.htm"),
            Utf16LeFile(U16("[{@filename}{@copy}]|a&amp;b_result.htm|(c) 2026 Morrow Farrowdale|"
                            "By the Morrow Farrowdale developers|{@table_header}\r\n")));

  // A later placeholder's occurrence inside an earlier one's is not the template's own.
  EXPECT_EQ(Render(folder, "{@ab} b}", {"{@ab}", "b}"}, {{"{@ab}", "1"}, {"b}", "2"}}),
            Utf16LeFile(u"1 2\r\n"));
}

TEST(ReportPageTest, WrittenReportsHaveAMarkAndCrLfAfterEveryLine) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  EXPECT_EQ(Render(folder, "a\rb\nc", {}), Utf16LeFile(u"a\r\nb\r\nc\r\n"));
  EXPECT_EQ(Render(folder, "", {}), "\xFF\xFE");
  EXPECT_THROW(Render(folder, "", {}, {}, "missing/r.htm"), Error);
}

// The template is read when the run starts and not again: a template changed or removed
// during the run changes no report of it. Which section placeholders it holds is known
// from the start too.
TEST(ReportPageTest, ATemplateIsReadOnceAndServesEveryReport) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  WriteBytes(folder / "t.tpl", "<{@chart}>{@passages}");
  const TReportTemplate page(folder / "t.tpl", {});
  std::filesystem::remove(folder / "t.tpl");
  EXPECT_TRUE(page.Exists());
  EXPECT_TRUE(page.Holds(kChartPlaceholder));
  EXPECT_FALSE(page.Holds(kProvenancePlaceholder));
  std::vector<std::string_view> asked;
  for (const char* name : {"a.htm", "b.htm"}) {
    RenderReport(page, folder / name, [&](std::string_view placeholder, TReportStream& out) {
      asked.push_back(placeholder);
      out.AppendNarrow("v");
    }).Commit();
    EXPECT_EQ(ReadBytes(folder / name), Utf16LeFile(u"<v>v\r\n"));
  }
  EXPECT_EQ(asked,
            (std::vector<std::string_view>{"{@chart}", "{@passages}", "{@chart}", "{@passages}"}));
}

TEST(ReportPageTest, OnlyAFileCountsAsATemplate) {
  const ScratchFolder folder;
  WriteBytes(folder / "result.tpl", "");
  std::filesystem::create_directory(folder / "resultEx.tpl");
  EXPECT_TRUE(TemplateFileExists(folder / "result.tpl"));
  EXPECT_FALSE(TemplateFileExists(folder / "resultEx.tpl"));
  EXPECT_FALSE(TemplateFileExists(folder / "other.tpl"));
  EXPECT_FALSE(TReportTemplate(folder / "resultEx.tpl", {}).Exists());
  EXPECT_FALSE(TReportTemplate(folder / "other.tpl", {}).Holds("{@"));
}

TEST(ReportPageTest, ReportFileNameIsThePartAfterTheLastSeparator) {
  EXPECT_EQ(ReportFileName("/corpus/x.txt.d/interview_result.htm"), "interview_result.htm");
  EXPECT_EQ(ReportFileName("result.htm"), "result.htm");
}

}  // namespace
}  // namespace farrowdale
