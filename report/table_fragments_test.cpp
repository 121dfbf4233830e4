#include "report/table_fragments.h"

#include <gtest/gtest.h>

#include "report/report_test_support.h"
#include "text/code_page.h"

namespace farrowdale {
namespace {

using testing_support::U16;

TStatInfo Tag(std::string name, std::string markers, std::string color) {
  TStatInfo info;
  info.Name = std::move(name);
  info.Markers = std::move(markers);
  info.Color = std::move(color);
  return info;
}

TEST(TableFragmentsTest, RowsAlternateWithLfCrBeforeEachEvenRow) {
  SetSystemCodePage("windows-1252");
  std::u16string table;
  AppendRowStart(table, 1, Tag("emotion", "<e>...</e>", "FF0000"));
  AppendAscii(table, kRowCloser);
  AppendRowStart(table, 2, Tag("<b>place</b>", ">>...!!", "00aa00"));
  AppendAscii(table, kRowCloser);
  AppendRowStart(table, 3, Tag("", "...", "000000"));
  AppendAscii(table, kRowCloser);
  EXPECT_EQ(table,
            U16("<tr><td class=\"no\">1</td><td class=\"n\">emotion</td>"
                "<td class=\"t\"><font color=\"#FF0000\">&lt;e&gt;...&lt;/e&gt;</font></td></tr>"
                "\n\r<tr class=\"o\"><td class=\"no\">2</td><td class=\"n\"><b>place</b></td>"
                "<td class=\"t\"><font color=\"#00aa00\">>>...!!</font></td></tr>"
                "<tr><td class=\"no\">3</td><td class=\"n\"></td>"
                "<td class=\"t\"><font color=\"#000000\">...</font></td></tr>"));
}

TEST(TableFragmentsTest, NamesAreConvertedFromTheCodePage) {
  SetSystemCodePage("windows-1252");
  std::u16string cell;
  AppendNameCell(cell, Tag("caf\xE9 \x80", "", ""));
  EXPECT_EQ(cell, u"<td class=\"n\">caf\u00E9 \u20AC</td>");
}

TEST(TableFragmentsTest, MarkersAreEscapedOnlyWhenTheyHoldALessThanSign) {
  EXPECT_EQ(EscapeMarkers("<e>...</e>"), "&lt;e&gt;...&lt;/e&gt;");
  EXPECT_EQ(EscapeMarkers("[a]...>b"), "[a]...>b");
  EXPECT_EQ(EscapeMarkers("a>\"&<'"), "a&gt;\"&&lt;'");
  EXPECT_EQ(EscapeMarkers("..."), "...");
  EXPECT_EQ(EscapeMarkers(""), "");
}

}  // namespace
}  // namespace farrowdale
