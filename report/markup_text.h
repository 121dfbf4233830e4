// Text and colours that the new report sections (passages in context, provenance, charts) place
// into markup: escaped so that it is always shown and never interpreted, in element content and in
// quoted attribute values alike.
#ifndef FARROWDALE_REPORT_MARKUP_TEXT_H_
#define FARROWDALE_REPORT_MARKUP_TEXT_H_

#include <functional>
#include <string>
#include <string_view>

namespace farrowdale {

// Appends text with "&", "<", ">" and '"' as "&amp;", "&lt;", "&gt;" and "&quot;", and every
// control character (line ends, tabs) as a space, so a passage over several lines reads as
// one line of the report.
void AppendMarkupText(std::u16string& out, std::u16string_view text);
// The same for narrow text (names from the tag set, file names, paths).
void AppendMarkupNarrow(std::u16string& out, std::string_view narrow);

// <section class="css_class">, an <h2> heading, what append_body appends, kSectionEnd: the
// frame every report section shares. Class and heading are plain ASCII.
std::u16string SectionMarkup(std::string_view css_class, std::string_view heading,
                             const std::function<void(std::u16string&)>& append_body);
// The frame's start, for a section written piece by piece, and its end.
void AppendSectionStart(std::u16string& out, std::string_view css_class, std::string_view heading);
inline constexpr std::string_view kSectionEnd = "</section>";

// A tag's colour as a CSS and SVG colour: "#" and the six hexadecimal digits the run reads
// (the colour's first six characters, as written), or a neutral grey when they are not six
// such digits. Whatever follows the six digits is never written, so no colour text can
// break out of an attribute.
std::string MarkupColor(std::string_view color);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_MARKUP_TEXT_H_
