#include "report/markup_text.h"

#include "report/table_fragments.h"
#include "text/code_page.h"

namespace farrowdale {

void AppendMarkupText(std::u16string& out, std::u16string_view text) {
  for (char16_t c : text) {
    switch (c) {
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
        out += c < 0x20 ? u' ' : c;
    }
  }
}

void AppendMarkupNarrow(std::u16string& out, std::string_view narrow) {
  AppendMarkupText(out, ToUnicode(narrow));
}

std::string MarkupColor(std::string_view color) {
  const bool rrggbb = color.size() == 6 &&
                      color.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
  return rrggbb ? "#" + std::string(color) : "#808080";
}

}  // namespace farrowdale
