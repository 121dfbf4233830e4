#include "run/passage_places.h"

#include <utility>

#include "run/tagged_text.h"
#include "run/text_position.h"
#include "text/code_page.h"
#include "text/trim.h"

namespace farrowdale {

TPassagePlaces::TPassagePlaces(bool with_table, bool with_context, TPassageGrouping grouping)
    : with_context_(with_context), grouping_(grouping) {
  if (with_table) table_.emplace(PassagesTable());
}

void TPassagePlaces::AddFile(const std::string& narrow_text, const TTagArray& tag_set,
                             std::string_view file_name) {
  TTextPositionCursor positions(narrow_text);
  size_t tag_index = 0;
  for (const TTagInfo& tag : tag_set) {
    if (IsSkippedTag(tag)) continue;
    if (occurrences_.size() <= tag_index) occurrences_.resize(tag_index + 1);
    TOccurrencesByKey& by_key = occurrences_[tag_index++];
    ForEachTaggedSpan(narrow_text, tag, [&](const TPassageSpan& span) {
      const std::string_view untrimmed =
          std::string_view(narrow_text).substr(span.text_begin, span.text_end - span.text_begin);
      const std::string_view passage = Trim(untrimmed);
      if (passage.empty()) return;
      const size_t start = static_cast<size_t>(passage.data() - narrow_text.data());
      const TTextPosition position = positions.PositionOf(start);
      const std::u16string text = ToUnicode(
          grouping_.spacing == ESpacing::kFolded ? FoldedSpaces(passage) : std::string(passage));
      if (table_) AddPassageRecord(*table_, tag.Name, file_name, position, text);
      if (!with_context_) return;
      std::vector<TPassageOccurrence>& kept = by_key[GroupKey(text, true, grouping_.letter_case)];
      if (kept.size() >= static_cast<size_t>(kListedOccurrences)) return;
      TPassageContext context = ContextAround(narrow_text, start, passage.size());
      kept.push_back({std::string(file_name), position, std::move(context.before), text,
                      std::move(context.after)});
    });
  }
}

void TPassagePlaces::ForgetOccurrences() { occurrences_.clear(); }

std::vector<TTagPassages> TPassagePlaces::TakeTagPassages(
    const TStatArray& stats, const std::vector<const TFrequencyList*>& distinct) {
  std::vector<TTagPassages> tags;
  for (size_t t = 0; t < stats.size(); ++t) {
    TTagPassages& tag = tags.emplace_back();
    tag.name = stats[t].Name;
    tag.color = stats[t].Color;
    for (const TFrequencyEntry& entry : *distinct.at(t)) {
      TDistinctPassage& passage = tag.passages.emplace_back();
      passage.text = entry.Text;
      passage.count = entry.Count;
      if (t >= occurrences_.size()) continue;
      const auto kept = occurrences_[t].find(GroupKey(entry.Text, true, grouping_.letter_case));
      if (kept != occurrences_[t].end()) passage.occurrences = std::move(kept->second);
    }
  }
  return tags;
}

}  // namespace farrowdale
