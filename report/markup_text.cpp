#include "report/markup_text.h"

#include "report/table_fragments.h"
#include "text/code_page.h"

namespace farrowdale {

void AppendMarkupText(std::u16string& out, std::u16string_view text) {
  // The table's escaping, and besides it quotes for attribute values and control characters.
  AppendEscapedText(out, text, /*quotes_and_controls=*/true);
}

void AppendMarkupNarrow(std::u16string& out, std::string_view narrow) {
  AppendMarkupText(out, ToUnicode(narrow));
}

std::u16string SectionMarkup(std::string_view css_class, std::string_view heading,
                             const std::function<void(std::u16string&)>& append_body) {
  std::u16string out;
  AppendSectionStart(out, css_class, heading);
  append_body(out);
  AppendAscii(out, kSectionEnd);
  return out;
}

void AppendSectionStart(std::u16string& out, std::string_view css_class, std::string_view heading) {
  AppendAscii(out, "<section class=\"");
  AppendAscii(out, css_class);
  AppendAscii(out, "\">\n<h2>");
  AppendAscii(out, heading);
  AppendAscii(out, "</h2>\n");
}

std::string MarkupColor(std::string_view color) {
  const std::string_view digits = color.substr(0, 6);
  const bool rrggbb = digits.size() == 6 &&
                      digits.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
  return rrggbb ? "#" + std::string(digits) : "#808080";
}

}  // namespace farrowdale
