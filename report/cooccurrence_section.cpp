#include "report/cooccurrence_section.h"

#include <algorithm>
#include <charconv>

#include "report/markup_text.h"
#include "report/table_fragments.h"

namespace farrowdale {
namespace {

void AppendTagName(std::u16string& out, const TCooccurrenceView& view, size_t tag) {
  AppendAscii(out, "<span class=\"sw\" style=\"background:" + MarkupColor(view.colors.at(tag)) +
                       "\"></span>");
  AppendMarkupNarrow(out, view.names.at(tag));
}

// The cell of row tag a and column tag b: co-occurring pairs and c, shaded by c (at most
// 1 for the shade; pairs, not passages, are counted, so c may pass 1).
void AppendPairCell(std::u16string& out, const TCooccurrenceView& view, size_t a, size_t b) {
  const TPairCounts& pair = view.matrix.At(a, b);
  const double c = pair.CCoefficient();
  const int shade = static_cast<int>(std::min(c, 1.0) * 60 + 0.5);  // percent of the accent
  AppendAscii(out, "<td class=\"m\" style=\"background:rgba(42,93,143,");
  AppendAscii(out, FormatCoefficient(shade / 100.0, 2));
  AppendAscii(out, ")\" title=\"");
  AppendMarkupNarrow(out, view.names[a] + " with " + view.names[b]);
  AppendAscii(out, ": identical ");
  AppendDecimal(out, pair.identical);
  AppendAscii(out, ", inside ");
  AppendDecimal(out, pair.a_inside_b);
  AppendAscii(out, ", containing ");
  AppendDecimal(out, pair.b_inside_a);
  AppendAscii(out, ", crossing ");
  AppendDecimal(out, pair.crossing);
  AppendAscii(out, "\">");
  AppendDecimal(out, pair.Cooccurring());
  AppendAscii(out, "<br><span class=\"k\">c " + FormatCoefficient(c, 2) + "</span></td>");
}

}  // namespace

std::string FormatCoefficient(double c, int decimals) {
  char text[64];
  const auto [end, error] =
      std::to_chars(text, text + sizeof text, c, std::chars_format::fixed, decimals);
  return error == std::errc() ? std::string(text, end) : std::string("0");
}

std::u16string RenderCooccurrenceSection(const TCooccurrenceView& view) {
  return SectionMarkup("cooccurrence", "Co-occurrence", [&](std::u16string& out) {
    AppendAscii(out,
                "<p class=\"k\">Pairs of passages that share text, over all files: the tag of "
                "the row with the tag of the column; c = pairs / (passages of both &minus; "
                "pairs). The diagonal gives each tag's passages.</p>\n"
                "<div class=\"wrap\"><table class=\"cooc\">\n<tr><td></td>");
    const size_t tags = view.names.size();
    for (size_t b = 0; b < tags; ++b) {
      AppendAscii(out, "<th scope=\"col\">");
      AppendTagName(out, view, b);
      AppendAscii(out, "</th>");
    }
    AppendAscii(out, "</tr>\n");
    for (size_t a = 0; a < tags; ++a) {
      AppendAscii(out, "<tr><th scope=\"row\">");
      AppendTagName(out, view, a);
      AppendAscii(out, "</th>");
      for (size_t b = 0; b < tags; ++b) {
        if (a == b) {
          AppendAscii(out, "<td class=\"d\">");
          AppendDecimal(out, view.passages.at(a));
          AppendAscii(out, "</td>");
        } else {
          AppendPairCell(out, view, a, b);
        }
      }
      AppendAscii(out, "</tr>\n");
    }
    AppendAscii(out, "</table></div>\n");
  });
}

}  // namespace farrowdale
