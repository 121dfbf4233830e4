// The pieces every results table is made of, shared by the per-file and the combined report.
//
// Tables are built as Unicode text by appending, row after row numbered from 1: the row
// opener, the number cell, the name cell and the marker cell (here), then the writer's own
// cells and kRowCloser. Odd rows open with <tr>; even rows with LF, CR (in that order) and
// <tr class="o">, so once the table is substituted into a report each even row starts a new
// line after an empty line. Nothing else stands between rows.
//
// Escaping: only a tag's markers are escaped, and only when they hold a "<": then every "<"
// becomes "&lt;" and every ">" "&gt;". Names, colours, file names and passages go in as they
// are, so markup in them takes effect in the report.
#ifndef FARROWDALE_REPORT_TABLE_FRAGMENTS_H_
#define FARROWDALE_REPORT_TABLE_FRAGMENTS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "run/stat_info.h"

namespace farrowdale {

inline constexpr std::string_view kRowCloser = "</tr>";

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
// <td class="n">Name</td>
void AppendNameCell(std::u16string& out, const TStatInfo& info);
// <td class="t"><font color="#Color">escaped Markers</font></td>
void AppendMarkerCell(std::u16string& out, const TStatInfo& info);
// Row opener, number, name and marker cell of row n.
void AppendRowStart(std::u16string& out, int32_t n, const TStatInfo& info);

// The markers as the marker cell shows them (see the escaping rule above).
std::string EscapeMarkers(std::string_view markers);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_TABLE_FRAGMENTS_H_
