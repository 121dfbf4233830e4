#include "report/markup_text.h"

#include "report/table_fragments.h"
#include "text/code_page.h"

namespace farrowdale {

void AppendMarkupText(std::u16string& out, std::u16string_view text) {
  // The table's escaping, and besides it quotes for attribute values and control characters.
  const char16_t* p = text.data();
  const char16_t* const end = p + text.size();
  for (;;) {
    const char16_t* stop = FindUnitToEscape(p, end, /*quotes_and_controls=*/true);
    out.append(p, static_cast<size_t>(stop - p));
    if (stop == end) return;
    switch (*stop) {
      case u'&':
        AppendAscii(out, "&amp;");
        break;
      case u'<':
        AppendAscii(out, "&lt;");
        break;
      case u'>':
        AppendAscii(out, "&gt;");
        break;
      case u'"':
        AppendAscii(out, "&quot;");
        break;
      default:
        out += u' ';
    }
    p = stop + 1;
  }
}

void AppendMarkupNarrow(std::u16string& out, std::string_view narrow) {
  AppendMarkupText(out, ToUnicode(narrow));
}

std::u16string SectionMarkup(std::string_view css_class, std::string_view heading,
                             const std::function<void(std::u16string&)>& append_body) {
  std::u16string out;
  AppendAscii(out, "<section class=\"");
  AppendAscii(out, css_class);
  AppendAscii(out, "\">\n<h2>");
  AppendAscii(out, heading);
  AppendAscii(out, "</h2>\n");
  append_body(out);
  AppendAscii(out, "</section>");
  return out;
}

std::string MarkupColor(std::string_view color) {
  const bool rrggbb = color.size() == 6 &&
                      color.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
  return rrggbb ? "#" + std::string(color) : "#808080";
}

}  // namespace farrowdale
