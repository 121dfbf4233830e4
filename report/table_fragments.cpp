#include "report/table_fragments.h"

#include <string>

#include "report/passages_section.h"
#include "text/code_page.h"

namespace farrowdale {

void AppendAscii(std::u16string& out, std::string_view ascii) {
  out.append(ascii.begin(), ascii.end());
}

void AppendDecimal(std::u16string& out, int64_t number) {
  AppendAscii(out, std::to_string(number));
}

void AppendNarrow(std::u16string& out, std::string_view narrow) {
  if (!narrow.empty()) out += ToUnicode(narrow);
}

void AppendRowOpener(std::u16string& out, int32_t n) {
  if (n % 2 != 0) {
    AppendAscii(out, "<tr>");
  } else {
    AppendAscii(out, "\n\r<tr class=\"o\">");
  }
}

void AppendNumberCell(std::u16string& out, int32_t n) {
  AppendAscii(out, "<td class=\"no\">");
  AppendDecimal(out, n);
  AppendAscii(out, "</td>");
}

void AppendNameCell(std::u16string& out, const TStatInfo& info) {
  AppendAscii(out, "<td class=\"n\">");
  AppendNarrow(out, info.Name);
  AppendAscii(out, "</td>");
}

void AppendMarkerCell(std::u16string& out, const TStatInfo& info) {
  AppendAscii(out, "<td class=\"t\"><font color=\"#");
  AppendNarrow(out, info.Color);
  AppendAscii(out, "\">");
  AppendNarrow(out, EscapeMarkers(info.Markers));
  AppendAscii(out, "</font></td>");
}

void AppendRowStart(std::u16string& out, int32_t n, const TStatInfo& info) {
  AppendRowOpener(out, n);
  AppendNumberCell(out, n);
  AppendNameCell(out, info);
  AppendMarkerCell(out, info);
}

std::string EscapeMarkers(std::string_view markers) {
  if (markers.find('<') == std::string_view::npos) return std::string(markers);
  std::string escaped;
  escaped.reserve(markers.size() + 8);
  for (char c : markers) {
    if (c == '<') {
      escaped += "&lt;";
    } else if (c == '>') {
      escaped += "&gt;";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

namespace {

template <typename Char>
void AppendEscapedHtml(std::basic_string<Char>& out, std::basic_string_view<Char> text) {
  for (Char c : text) {
    switch (c) {
      case '&':
        out.append({'&', 'a', 'm', 'p', ';'});
        break;
      case '<':
        out.append({'&', 'l', 't', ';'});
        break;
      case '>':
        out.append({'&', 'g', 't', ';'});
        break;
      default:
        out += c;
    }
  }
}

}  // namespace

std::u16string EscapeHtml(std::u16string_view text) {
  std::u16string escaped;
  escaped.reserve(text.size());
  AppendEscapedHtml(escaped, text);
  return escaped;
}

std::string EscapeHtml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  AppendEscapedHtml(escaped, text);
  return escaped;
}

void WriteHitList(TReportStream& out, const TFrequencyList& list, THitListStyle style,
                  int32_t link_row) {
  const std::string_view closer = style == THitListStyle::kPerFile ? ") <br>" : ")<br>";
  int32_t number = 0;
  for (const TFrequencyEntry& entry : list) {
    std::u16string& text = out.unicode();
    if (link_row > 0) {
      AppendAscii(text, "<a href=\"#" + PassageAnchor(link_row, ++number) + "\">");
      AppendEscapedHtml(text, std::u16string_view(entry.Text));
      AppendAscii(text, "</a>");
    } else {
      AppendEscapedHtml(text, std::u16string_view(entry.Text));
    }
    AppendAscii(text, " (");
    AppendDecimal(text, entry.Count);
    AppendAscii(text, closer);
    out.Drain();
  }
}

}  // namespace farrowdale
