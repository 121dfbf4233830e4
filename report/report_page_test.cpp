#include "report/report_page.h"

#include <gtest/gtest.h>

#include <vector>

#include "report/report_test_support.h"
#include "text/code_page.h"
#include "text/error.h"

namespace farrowdale {
namespace {

using testing_support::ReadBytes;
using testing_support::ScratchFolder;
using testing_support::U16;
using testing_support::Utf16LeFile;
using testing_support::WriteBytes;

TUnicodeStringList Page(std::u16string_view text) {
  TUnicodeStringList page;
  page.AssignText(text);
  return page;
}

TEST(ReportPageTest, ReplacesOnlyTheFirstExactOccurrenceOfEach) {
  SetSystemCodePage("windows-1252");
  TUnicodeStringList page = Page(u"{@ITEM} {@hit} {@item} {@item}\r\n{@hit}");
  FillPlaceholders(page, {{"{@item}", "12"}, {"{@nothing}", "x"}, {"{@hit}", "3"}});
  EXPECT_EQ(page.JoinedText(), u"{@ITEM} 3 12 {@item}\r\n{@hit}\r\n");
}

TEST(ReportPageTest, ValueLineBreaksSplitTheLinesAgain) {
  SetSystemCodePage("windows-1252");
  TUnicodeStringList page = Page(u"<t>{@table}</t>");
  FillPlaceholders(page, {{"{@table}", "a\n\rb\rc\nd"}});
  ASSERT_EQ(page.EntryCount(), 5);
  EXPECT_EQ(page.JoinedText(), u"<t>a\r\n\r\nb\r\nc\r\nd</t>\r\n");
}

TEST(ReportPageTest, TheTextPassesThroughTheCodePage) {
  SetSystemCodePage("windows-1252");
  // U+0416 is not in windows-1252 and has no best fit there; the euro sign is.
  TUnicodeStringList page = Page(u"\u0416 \u20AC {@hit}");
  FillPlaceholders(page, {{"{@hit}", "\xE9"}});
  EXPECT_EQ(page.JoinedText(), u"? \u20AC \u00E9\r\n");
}

// Values are never searched again: a passage or file name that reads like a placeholder is
// shown as it is, and the template's own placeholder is the one replaced.
TEST(ReportPageTest, OnlyTheTemplatesOwnTextIsSearched) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  TUnicodeStringList page = Page(u"{@table}|{@filename}|{@copy}|{@author}|{@table_header}");
  FinishAndWriteReport(page, {{"{@table}", "[{@filename}{@copy}]"}}, folder / "a&b_result.htm");
  EXPECT_EQ(ReadBytes(folder / "a&b_result.htm"),
            Utf16LeFile(U16("[{@filename}{@copy}]|a&amp;b_result.htm|(c) 2026 Morrow Farrowdale|"
                            "By the Morrow Farrowdale developers|{@table_header}\r\n")));

  // A later placeholder's occurrence inside an earlier one's is not the template's own.
  page = Page(u"{@ab} b}");
  FillPlaceholders(page, {{"{@ab}", "1"}, {"b}", "2"}});
  EXPECT_EQ(page.JoinedText(), u"1 2\r\n");
}

TEST(ReportPageTest, WrittenReportsHaveAMarkAndCrLfAfterEveryLine) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  TUnicodeStringList lone_breaks = Page(u"a\rb\nc");
  FinishAndWriteReport(lone_breaks, {}, folder / "r.htm");
  EXPECT_EQ(ReadBytes(folder / "r.htm"), Utf16LeFile(u"a\r\nb\r\nc\r\n"));

  TUnicodeStringList empty;
  FinishAndWriteReport(empty, {}, folder / "r.htm");
  EXPECT_EQ(ReadBytes(folder / "r.htm"), "\xFF\xFE");

  EXPECT_THROW(FinishAndWriteReport(empty, {}, folder / "missing" / "r.htm"), Error);
}

TEST(ReportPageTest, OnlyAFileCountsAsATemplate) {
  const ScratchFolder folder;
  WriteBytes(folder / "result.tpl", "");
  std::filesystem::create_directory(folder / "resultEx.tpl");
  EXPECT_TRUE(TemplateFileExists(folder / "result.tpl"));
  EXPECT_FALSE(TemplateFileExists(folder / "resultEx.tpl"));
  EXPECT_FALSE(TemplateFileExists(folder / "other.tpl"));
}

TEST(ReportPageTest, ReportFileNameIsThePartAfterTheLastSeparator) {
  EXPECT_EQ(ReportFileName("/corpus/x.txt.d/interview_result.htm"), "interview_result.htm");
  EXPECT_EQ(ReportFileName("result.htm"), "result.htm");
}

}  // namespace
}  // namespace farrowdale
