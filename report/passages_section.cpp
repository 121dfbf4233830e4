#include "report/passages_section.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "report/csv_tables.h"
#include "report/markup_text.h"
#include "report/table_fragments.h"

namespace farrowdale {
namespace {

int64_t OccurrenceTotal(const TTagPassages& tag) {
  int64_t total = 0;
  for (const TDistinctPassage& passage : tag.passages) total += passage.count;
  return total;
}

void AppendCountOf(std::u16string& out, int64_t count, std::string_view one,
                   std::string_view many) {
  AppendDecimal(out, count);
  AppendAscii(out, " ");
  AppendAscii(out, count == 1 ? one : many);
}

// <li>: where (file:line:column), the text before, the passage marked, the text after.
void AppendOccurrence(std::u16string& out, const TPassageOccurrence& occurrence) {
  AppendAscii(out, "<li><span class=\"w\">");
  AppendMarkupNarrow(out, occurrence.file);
  AppendAscii(out, ":");
  AppendDecimal(out, occurrence.position.line);
  AppendAscii(out, ":");
  AppendDecimal(out, occurrence.position.column);
  AppendAscii(out, "</span> <span class=\"l\">");
  AppendMarkupText(out, occurrence.before);
  AppendAscii(out, "</span><mark>");
  AppendPassageText(out, occurrence.passage, /*quotes=*/true);
  AppendAscii(out, "</mark><span class=\"r\">");
  AppendMarkupText(out, occurrence.after);
  AppendAscii(out, "</span></li>\n");
}

void AppendDistinctPassage(std::u16string& out, const TDistinctPassage& passage,
                           const std::string& anchor) {
  AppendAscii(out, "<details class=\"psg\" id=\"");
  AppendAscii(out, anchor);
  AppendAscii(out, passage.count > kOpenOccurrences ? "\">" : "\" open>");
  AppendAscii(out, "<summary><mark>");
  AppendPassageText(out, passage.text, /*quotes=*/true);
  AppendAscii(out, "</mark> <span class=\"k\">(");
  AppendDecimal(out, passage.count);
  AppendAscii(out, ")</span></summary>\n<ol class=\"kwic\">\n");
  const size_t listed =
      std::min(passage.occurrences.size(), static_cast<size_t>(kListedOccurrences));
  for (size_t i = 0; i < listed; ++i) {
    AppendOccurrence(out, passage.occurrences[i]);
  }
  AppendAscii(out, "</ol>\n");
  const int64_t unlisted = passage.count - static_cast<int64_t>(listed);
  if (unlisted > 0) {
    AppendAscii(out, "<p class=\"more\">and ");
    AppendCountOf(out, unlisted, "more occurrence", "more occurrences");
    AppendAscii(out, ", all listed in ");
    AppendAscii(out, kPassagesTableName);
    AppendAscii(out, " when tables are written</p>\n");
  }
  AppendAscii(out, "</details>\n");
}

void AppendTag(std::u16string& out, const TTagPassages& tag, int32_t row) {
  AppendAscii(out, "<details class=\"tag\" open><summary><span class=\"sw\" style=\"background:");
  AppendAscii(out, MarkupColor(tag.color));
  AppendAscii(out, "\"></span> <strong>");
  AppendMarkupNarrow(out, tag.name);
  AppendAscii(out, "</strong> <span class=\"k\">");
  AppendCountOf(out, static_cast<int64_t>(tag.passages.size()), "distinct passage",
                "distinct passages");
  AppendAscii(out, ", ");
  AppendCountOf(out, OccurrenceTotal(tag), "occurrence", "occurrences");
  AppendAscii(out, "</span></summary>\n");
  const size_t listed = std::min(tag.passages.size(), static_cast<size_t>(kListedPassages));
  for (size_t i = 0; i < listed; ++i) {
    AppendDistinctPassage(out, tag.passages[i], PassageAnchor(row, static_cast<int32_t>(i + 1)));
  }
  if (listed < tag.passages.size()) {
    AppendAscii(out, "<p class=\"more\">and ");
    AppendCountOf(out, static_cast<int64_t>(tag.passages.size() - listed), "more distinct passage",
                  "more distinct passages");
    AppendAscii(out, ", all listed in ");
    AppendAscii(out, kPassagesTableName);
    AppendAscii(out, " when tables are written</p>\n");
  }
  AppendAscii(out, "</details>\n");
}

}  // namespace

std::string PassageAnchor(int32_t tag_row, int32_t passage_number) {
  std::string anchor;
  AppendPassageAnchor(anchor, tag_row, passage_number);
  return anchor;
}

void AppendPassageAnchor(std::string& out, int32_t tag_row, int32_t passage_number) {
  char digits[24];
  out += 'p';
  out.append(digits, std::to_chars(std::begin(digits), std::end(digits), tag_row).ptr);
  out += '-';
  out.append(digits, std::to_chars(std::begin(digits), std::end(digits), passage_number).ptr);
}

std::u16string RenderPassagesSection(const std::vector<TTagPassages>& tags) {
  return SectionMarkup("passages", "Passages in context", [&](std::u16string& out) {
    int32_t row = 0;
    for (const TTagPassages& tag : tags) AppendTag(out, tag, ++row);
  });
}

}  // namespace farrowdale
