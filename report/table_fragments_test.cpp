#include "report/table_fragments.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "report/markup_text.h"
#include "report/passages_section.h"
#include "testing/file_bytes.h"
#include "testing/scratch_folder.h"
#include "text/code_page.h"
#include "text/unicode_string_list.h"

namespace farrowdale {
namespace {

using testing_support::U16;
using testing_support::Utf16LeFile;

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
  EXPECT_EQ(
      table,
      U16("<tr><td class=\"no\">1</td><td class=\"n\">emotion</td>"
          "<td class=\"t\"><font color=\"#FF0000\">&lt;e&gt;...&lt;/e&gt;</font></td></tr>"
          "\n\r<tr class=\"o\"><td class=\"no\">2</td><td class=\"n\">&lt;b&gt;place&lt;/b&gt;</td>"
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

// A shared tag set must never place markup in a report: neither through a name nor through
// what follows a colour's six digits.
TEST(TableFragmentsTest, TagSetTextNeverBecomesMarkup) {
  SetSystemCodePage("windows-1252");
  std::u16string row;
  AppendRowStart(row, 1,
                 Tag("[<meta http-equiv=\"refresh\" content=\"0;url=evil.html\">] & co",
                     "[a]...[/a]", "C0392B\"><b id=x>"));
  EXPECT_EQ(row, U16("<tr><td class=\"no\">1</td><td class=\"n\">[&lt;meta http-equiv=\"refresh\" "
                     "content=\"0;url=evil.html\"&gt;] &amp; co</td>"
                     "<td class=\"t\"><font color=\"#C0392B\">[a]...[/a]</font></td>"));
  for (const char* color : {"c0392b", "C0392B", "c0392bFF"}) {
    EXPECT_EQ(MarkupColor(color), "#" + std::string(color).substr(0, 6)) << color;
  }
  for (const char* color : {"C0392", "", "C0392G", "\"><b>xx"}) {
    EXPECT_EQ(MarkupColor(color), "#808080") << color;
  }
}

TEST(TableFragmentsTest, MarkersAreEscapedOnlyWhenTheyHoldALessThanSign) {
  EXPECT_EQ(EscapeMarkers("<e>...</e>"), "&lt;e&gt;...&lt;/e&gt;");
  EXPECT_EQ(EscapeMarkers("[a]...>b"), "[a]...>b");
  EXPECT_EQ(EscapeMarkers("a>\"&<'"), "a&gt;\"&&lt;'");
  EXPECT_EQ(EscapeMarkers("..."), "...");
  EXPECT_EQ(EscapeMarkers(""), "");
}

TEST(TableFragmentsTest, CorpusTextIsEscapedAmpersandFirst) {
  EXPECT_EQ(EscapeHtml(std::u16string_view(u"<hi rend=\"a\">&lt;\u00E9</hi> 'q'")),
            u"&lt;hi rend=\"a\"&gt;&amp;lt;\u00E9&lt;/hi&gt; 'q'");
  EXPECT_EQ(EscapeHtml(std::string_view("R&D <x>.txt")), "R&amp;D &lt;x&gt;.txt");
  EXPECT_EQ(EscapeHtml(std::string_view("")), "");
}

// The list as the stream writes it: its line ends made CR LF, every entry in turn.
std::string HitListReport(const TFrequencyList& list, THitListStyle style, int32_t link_row) {
  const testing_support::ScratchFolder folder;
  TAtomicFile file(folder / "r.htm");
  TReportStream out(file);
  WriteHitList(out, list, style, link_row);
  out.Finish();
  file.Commit();
  return testing_support::ReadBytes(folder / "r.htm");
}

TEST(TableFragmentsTest, HitListsDifferOnlyInTheSpaceBeforeTheBreakAndMayLink) {
  SetSystemCodePage("windows-1252");
  const TFrequencyList list = {{u"x=y", 2}, {u"a\r\nb", 10}, {u"<b>", 1}};
  EXPECT_EQ(HitListReport(list, THitListStyle::kPerFile, 0),
            Utf16LeFile(u"x=y (2) <br>a<span class=\"ws\">&#8629;</span>b (10) <br>&lt;b&gt; (1) "
                        u"<br>\r\n"));
  EXPECT_EQ(HitListReport(list, THitListStyle::kPooled, 3),
            Utf16LeFile(u"<a href=\"#p3-1\">x=y</a> (2)<br><a href=\"#p3-2\">a<span "
                        u"class=\"ws\">&#8629;</span>b</a> "
                        u"(10)<br><a href=\"#p3-3\">&lt;b&gt;</a> (1)<br>\r\n"));
  EXPECT_EQ(HitListReport({}, THitListStyle::kPerFile, 0), "\xFF\xFE");
}

// A passage far longer than the stream's buffers is written piece by piece as it is escaped;
// the bytes must be those of its markup built whole and put through the code page and the
// line ends at once. The passages mix long runs without spacing, long runs of every kind of
// spacing, characters the code page lacks and pairs of surrogates, so that the pieces end
// anywhere: inside a run, between CR and LF, between the two halves of a pair.
TEST(TableFragmentsTest, AHugePassageWrittenInPiecesGivesTheBytesOfItsMarkupBuiltWhole) {
  const std::vector<std::u16string> letters = {
      u"a", u"b", u"&", u"<", u">", u"\"", u"\u00E9", u"\u20AC", u"\u4E00", u"\U0001F600"};
  const std::vector<std::u16string> spacing = {u" ", u"\t", u"\r", u"\n", u"\u00A0", u"\x01"};
  std::mt19937 random(22);
  for (const char* code_page : {"UTF-8", "windows-1252"}) {
    SetSystemCodePage(code_page);
    for (int round = 0; round < 4; ++round) {
      std::u16string passage = u"x";
      while (passage.size() < 120000) {
        const std::vector<std::u16string>& alphabet = random() % 2 == 0 ? letters : spacing;
        for (size_t n = random() % 40000; n > 0; --n)
          passage += alphabet[random() % alphabet.size()];
      }
      std::u16string markup;
      AppendPassageText(markup, passage, /*quotes=*/false);
      markup += u" (3) <br>";
      TUnicodeStringList page;
      page.AssignText(ToUnicode(ToNarrow(markup)));
      ASSERT_EQ(HitListReport({{passage, 3}}, THitListStyle::kPerFile, 0),
                Utf16LeFile(page.JoinedText()))
          << code_page << " round " << round;
    }
  }
}

// Hit lists as the stream writes them against their markup built whole from each entry's
// Unicode text and put through the code page and the line ends at once, after a row start
// whose Unicode text is still held: ASCII passages (shown from their narrow form) beside others,
// short and beyond the narrow form's limit, with markup characters and every kind of spacing,
// both styles, linked or not, under code pages that take ASCII as it is and ones that do not.
TEST(TableFragmentsTest, HitListsGiveTheBytesOfTheirMarkupBuiltWhole) {
  // Words with single spaces between them first, then ASCII, then the rest.
  const std::vector<std::u16string> units = {
      u"ab", u"Zc ", u"x\"",  u"y' ",  u" ",      u"  ",     u"\t",     u"\r\n",      u"\n",
      u"&",  u"<>",  u"\x7F", u"\x01", u"\u00E9", u"\u00A0", u"\u20AC", u"\U0001F600"};
  constexpr size_t kWords = 4;
  constexpr size_t kAsciiUnits = 13;
  const std::u16string row_start = u"<tr><td>\u00E9\u20AC</td>\n";
  std::mt19937 random(31);
  for (const char* code_page : {"UTF-8", "windows-1252", "Shift_JIS", "ISO-2022-JP"}) {
    SetSystemCodePage(code_page);
    for (int round = 0; round < 40; ++round) {
      TFrequencyList list;
      std::u16string markup = row_start;
      const THitListStyle style = round % 2 == 0 ? THitListStyle::kPerFile : THitListStyle::kPooled;
      const int32_t link_row = round % 3 == 0 ? 0 : 1 + round;
      int32_t number = 0;
      for (size_t n = random() % 30; n > 0; --n) {
        std::u16string passage = u"p";
        // Mostly ASCII; now and then a passage longer than the narrow form's limit.
        const size_t length = random() % 12 == 0 ? 4000 + random() % 1000 : random() % 30;
        // Words only, or words with now and then another unit, ASCII or not.
        const size_t alphabet = random() % 2 == 0 ? kAsciiUnits : units.size();
        const size_t odd_one_in = random() % 3 == 0 ? 0 : 2 + random() % 30;
        while (passage.size() < length) {
          const bool odd = odd_one_in != 0 && random() % odd_one_in == 0;
          passage += units[odd ? random() % alphabet : random() % kWords];
        }
        passage += u"q";
        const int32_t count = 1 + static_cast<int32_t>(random() % 500);
        list.Add(passage, count);
        const bool linked =
            link_row > 0 && (style == THitListStyle::kPerFile || number < kListedPassages);
        if (linked) {
          AppendAscii(markup, "<a href=\"#" + PassageAnchor(link_row, ++number) + "\">");
        }
        AppendPassageText(markup, passage, /*quotes=*/false);
        if (linked) AppendAscii(markup, "</a>");
        AppendAscii(markup, " (" + std::to_string(count) +
                                (style == THitListStyle::kPerFile ? ") <br>" : ")<br>"));
      }
      const testing_support::ScratchFolder folder;
      TAtomicFile file(folder / "r.htm");
      TReportStream out(file);
      out.unicode() += row_start;
      WriteHitList(out, list, style, link_row);
      out.Finish();
      file.Commit();
      TUnicodeStringList page;
      page.AssignText(ToUnicode(ToNarrow(markup)));
      ASSERT_EQ(testing_support::ReadBytes(folder / "r.htm"), Utf16LeFile(page.JoinedText()))
          << code_page << " round " << round;
    }
  }
}

// Passages that count apart never look alike: on random passages of letters, markup and every
// kind of spacing (line breaks as a run's CR LF), the shown text is different for different
// passages, and no spacing is left for HTML to collapse.
TEST(TableFragmentsTest, PassagesThatDifferNeverLookAlike) {
  const std::vector<std::u16string> pieces = {u"a",    u"b",      u" ", u"\t",
                                              u"\r\n", u"\u00A0", u"&", u"<"};
  std::mt19937 rng(26);
  std::map<std::u16string, std::u16string> shown_as;
  for (int round = 0; round < 20000; ++round) {
    std::u16string passage;
    for (size_t n = rng() % 6; n > 0; --n) passage += pieces[rng() % pieces.size()];
    std::u16string shown;
    AppendPassageText(shown, passage, /*quotes=*/false);
    for (const std::u16string_view hidden : {u"  ", u"\t", u"\r", u"\n", u"\u00A0"}) {
      ASSERT_EQ(shown.find(hidden), std::u16string::npos) << round;
    }
    const auto [it, added] = shown_as.emplace(shown, passage);
    ASSERT_TRUE(added || it->second == passage) << round;
  }
  EXPECT_GT(shown_as.size(), 3000u);
}

// Both escapings, which append the text between the units they replace whole, against the
// same done unit by unit: every special unit is found wherever it stands (before, inside or
// after a block of eight), and units from U+8000 up are never taken for control characters.
TEST(TableFragmentsTest, EscapingFindsEveryUnitToReplaceWhereverItStands) {
  const std::u16string alphabet = u"ab &<>\"\t\n\x1F\u00E9\u8000\uFFFD\xD800";
  const auto unit_by_unit = [](std::u16string_view text, bool markup) {
    std::u16string out;
    for (char16_t c : text) {
      if (c == u'&') {
        out += u"&amp;";
      } else if (c == u'<') {
        out += u"&lt;";
      } else if (c == u'>') {
        out += u"&gt;";
      } else if (markup && c == u'"') {
        out += u"&quot;";
      } else {
        out += markup && c < 0x20 ? u' ' : c;
      }
    }
    return out;
  };
  std::mt19937 random(5);
  for (int round = 0; round < 2000; ++round) {
    std::u16string text(random() % 40, u'a');
    for (char16_t& c : text) {
      if (random() % 6 == 0) c = alphabet[random() % alphabet.size()];
    }
    EXPECT_EQ(EscapeHtml(std::u16string_view(text)), unit_by_unit(text, false));
    std::u16string markup = u"x";
    AppendMarkupText(markup, text);
    EXPECT_EQ(markup, u"x" + unit_by_unit(text, true));
  }
}

}  // namespace
}  // namespace farrowdale
