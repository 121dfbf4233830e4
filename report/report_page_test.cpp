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

TEST(ReportPageTest, ReplacesOnlyTheFirstExactOccurrence) {
  SetSystemCodePage("windows-1252");
  TUnicodeStringList page = Page(u"{@ITEM} {@item} {@item}\r\n{@hit}");
  SubstitutePlaceholder(page, "{@item}", std::string_view("12"));
  SubstitutePlaceholder(page, "{@nothing}", std::string_view("x"));
  EXPECT_EQ(page.JoinedText(), u"{@ITEM} 12 {@item}\r\n{@hit}\r\n");
}

TEST(ReportPageTest, ValueLineBreaksSplitTheLinesAgain) {
  SetSystemCodePage("windows-1252");
  TUnicodeStringList page = Page(u"<t>{@table}</t>");
  SubstitutePlaceholder(page, "{@table}", std::u16string_view(u"a\n\rb\rc\nd"));
  ASSERT_EQ(page.EntryCount(), 5);
  EXPECT_EQ(page.JoinedText(), u"<t>a\r\n\r\nb\r\nc\r\nd</t>\r\n");
}

TEST(ReportPageTest, EveryStepPassesTheWholeTextThroughTheCodePage) {
  SetSystemCodePage("windows-1252");
  // U+0416 is not in windows-1252 and has no best fit there; the euro sign is.
  TUnicodeStringList page = Page(u"\u0416 \u20AC {@hit}");
  SubstitutePlaceholder(page, "{@item}", std::string_view("1"));
  EXPECT_EQ(page.JoinedText(), u"? \u20AC {@hit}\r\n");
  SubstitutePlaceholder(page, "{@hit}", std::u16string_view(u"\u0416\u00E9"));
  EXPECT_EQ(page.JoinedText(), u"? \u20AC ?\u00E9\r\n");
}

TEST(ReportPageTest, APlaceholderBroughtInByAValueIsMetFirst) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  TUnicodeStringList page = Page(u"{@table}|{@filename}|{@copy}|{@author}|{@table_header}");
  SubstitutePlaceholder(page, "{@table}", std::u16string_view(u"[{@filename}]"));
  FinishAndWriteReport(page, folder / "a_result.htm");
  EXPECT_EQ(ReadBytes(folder / "a_result.htm"),
            Utf16LeFile(U16("[a_result.htm]|{@filename}|(c) 2026 Morrow Farrowdale|"
                            "By the Morrow Farrowdale developers|{@table_header}\r\n")));
}

TEST(ReportPageTest, WrittenReportsHaveAMarkAndCrLfAfterEveryLine) {
  SetSystemCodePage("windows-1252");
  const ScratchFolder folder;
  TUnicodeStringList lone_breaks = Page(u"a\rb\nc");
  FinishAndWriteReport(lone_breaks, folder / "r.htm");
  EXPECT_EQ(ReadBytes(folder / "r.htm"), Utf16LeFile(u"a\r\nb\r\nc\r\n"));

  TUnicodeStringList empty;
  FinishAndWriteReport(empty, folder / "r.htm");
  EXPECT_EQ(ReadBytes(folder / "r.htm"), "\xFF\xFE");

  EXPECT_THROW(FinishAndWriteReport(empty, folder / "missing" / "r.htm"), Error);
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
