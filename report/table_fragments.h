// The pieces every results table is made of, shared by the per-file and the combined report.
//
// Tables are built as Unicode text by appending, row after row numbered from 1: the row
// opener, the number cell, the name cell and the marker cell (here), then the writer's own
// cells and kRowCloser. Odd rows open with <tr>; even rows with LF, CR (in that order) and
// <tr class="o">, so once the table is substituted into a report each even row starts a new
// line after an empty line. Nothing else stands between rows.
//
// Escaping: text from the corpus, the file system or the tag set (passages, file names, tag
// names) is shown, never interpreted: "&", "<" and ">" become "&amp;", "&lt;" and "&gt;".
// Markers keep their older rule, which already leaves no markup: they are escaped only when
// they hold a "<" (then every "<" becomes "&lt;" and every ">" "&gt;"). A colour is written
// as MarkupColor gives it: its six hexadecimal digits, never what follows them.
#ifndef FARROWDALE_REPORT_TABLE_FRAGMENTS_H_
#define FARROWDALE_REPORT_TABLE_FRAGMENTS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "report/report_stream.h"
#include "results/stat_info.h"

namespace farrowdale {

inline constexpr std::string_view kRowCloser = "</tr>";

// The combined report shows at most this many files one by one, in its table and its charts;
// it counts the others and points to the counts table, which has them all.
inline constexpr size_t kMatrixFiles = 300;

// Appends markup that is plain ASCII (tags, class names, digits).
void AppendAscii(std::u16string& out, std::string_view ascii);
// Appends a number in decimal: no leading zeros, no grouping.
void AppendDecimal(std::u16string& out, int64_t number);
// Appends narrow text converted to Unicode.
void AppendNarrow(std::u16string& out, std::string_view narrow);

// <tr> for odd n; LF, CR, <tr class="o"> for even n.
void AppendRowOpener(std::u16string& out, int32_t n);
// <td class="no">n</td>
void AppendNumberCell(std::u16string& out, int32_t n);
// <td class="n">escaped Name</td>
void AppendNameCell(std::u16string& out, const TStatInfo& info);
// <td class="t"><font color="#RRGGBB">escaped Markers</font></td>, the colour by MarkupColor
void AppendMarkerCell(std::u16string& out, const TStatInfo& info);
// Row opener, number, name and marker cell of row n.
void AppendRowStart(std::u16string& out, int32_t n, const TStatInfo& info);

// The markers as the marker cell shows them (see the escaping rule above).
std::string EscapeMarkers(std::string_view markers);
// Corpus text or a file name as HTML text: "&" first, then "<" and ">".
std::u16string EscapeHtml(std::u16string_view text);
std::string EscapeHtml(std::string_view text);
// Appends text as EscapeHtml escapes it; with quotes_and_controls also '"' as "&quot;" and
// every unit below U+0020 as a space, for attribute values and the sections' markup.
void AppendEscapedText(std::u16string& out, std::u16string_view text, bool quotes_and_controls);
// Appends a passage as AppendEscapedText escapes it (quotes as `quotes` says), with the spacing
// that HTML would hide made visible, so that passages counted apart never look alike: every run of
// white space other than one plain space becomes <span class="ws"> with a mark per character: "·" a
// space, "⇥" a tab, "↵" a line break (CR LF, CR or LF), "⍽" a no-break space; any other control
// character is a space.
void AppendPassageText(std::u16string& out, std::u16string_view text, bool quotes);

// The two writers' hit lists: "text (count) <br>" per entry in the per-file report,
// "text (count)<br>" in the combined one; the text as AppendPassageText shows it. With a link_row
// above 0 each text links to its entry in the passages section (PassageAnchor of link_row and the
// entry's number): <a href="#p1-2">text</a>; in the combined report only the first
// kListedPassages, which that section lists.
enum class THitListStyle { kPerFile, kPooled };

// Writes the hit list into out entry by entry, so that no list is ever held whole as markup.
void WriteHitList(TReportStream& out, const TFrequencyList& list, THitListStyle style,
                  int32_t link_row = 0);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_TABLE_FRAGMENTS_H_
