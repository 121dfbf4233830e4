#include "count/passage_occurrences.h"

#include "text/code_page.h"
#include "text/trim.h"

namespace farrowdale {

std::vector<std::string_view> TrimmedPassages(std::string_view text,
                                              const std::vector<TPassageSpan>& spans) {
  std::vector<std::string_view> passages;
  passages.reserve(spans.size());
  for (const TPassageSpan& span : spans) {
    const std::string_view passage =
        Trim(text.substr(span.text_begin, span.text_end - span.text_begin));
    if (!passage.empty()) passages.push_back(passage);
  }
  return passages;
}

void ForEachPassageOccurrence(const std::string& narrow_text,
                              const std::vector<std::vector<TPassageSpan>>& spans,
                              TPassageGrouping grouping,
                              const std::function<void(const TPassageOccurrenceAt&)>& visit,
                              EOccurrenceDetail detail) {
  TTextPositionCursor positions(narrow_text);
  TPassageOccurrenceAt occurrence;
  occurrence.spaces_folded = grouping.spacing == ESpacing::kFolded;
  for (size_t tag = 0; tag < spans.size(); ++tag) {
    occurrence.tag = tag;
    for (const std::string_view passage : TrimmedPassages(narrow_text, spans[tag])) {
      occurrence.passage = passage;
      occurrence.start = static_cast<size_t>(passage.data() - narrow_text.data());
      if (detail == EOccurrenceDetail::kPlaceAndText) {
        occurrence.position = positions.PositionOf(occurrence.start);
        occurrence.text =
            occurrence.spaces_folded ? ToUnicode(FoldedSpaces(passage)) : ToUnicode(passage);
      }
      visit(occurrence);
    }
  }
}

}  // namespace farrowdale
