#include "run/passage_places.h"

#include <utility>

#include "count/tagged_text.h"
#include "text/code_page.h"
#include "text/text_position.h"
#include "text/trim.h"

namespace farrowdale {

TPassagePlaces::TPassagePlaces(bool with_table, TPassagesKept kept, TPassageGrouping grouping)
    : kept_(kept), grouping_(grouping) {
  if (with_table) table_.emplace(PassagesTable());
}

void TPassagePlaces::AddFile(const std::string& narrow_text,
                             const std::vector<TLoneLineEnd>& lone_line_ends,
                             const TTagArray& tag_set, std::string_view file_name) {
  TTextPositionCursor positions(narrow_text);
  size_t tag_index = 0;
  for (const TTagInfo& tag : tag_set) {
    if (IsSkippedTag(tag)) continue;
    if (occurrences_.size() <= tag_index) occurrences_.resize(tag_index + 1);
    if (places_.size() <= tag_index) places_.resize(tag_index + 1);
    TOccurrencesByKey& by_key = occurrences_[tag_index];
    TPlacesByKey& places_by_key = places_[tag_index++];
    ForEachTaggedSpan(narrow_text, tag, [&](const TPassageSpan& span) {
      const std::string_view untrimmed =
          std::string_view(narrow_text).substr(span.text_begin, span.text_end - span.text_begin);
      const std::string_view passage = Trim(untrimmed);
      if (passage.empty()) return;
      const size_t start = static_cast<size_t>(passage.data() - narrow_text.data());
      const TTextPosition position = positions.PositionOf(start);
      const bool folded = grouping_.spacing == ESpacing::kFolded;
      const std::u16string text = ToUnicode(folded ? FoldedSpaces(passage) : std::string(passage));
      if (table_) {
        const bool exact =
            !folded && !lone_line_ends.empty() && passage.find('\r') != std::string_view::npos;
        AddPassageRecord(*table_, tag.Name, file_name, position,
                         exact ? ToUnicode(WithLineEndsAsWritten(
                                     narrow_text, start, passage.size(),
                                     static_cast<size_t>(position.line - 1), lone_line_ends))
                               : text);
      }
      if (kept_ == TPassagesKept::kPlacesInText) {
        places_by_key[GroupKey(text, true, grouping_.letter_case)].emplace_back(
            start, start + passage.size());
      }
      if (kept_ != TPassagesKept::kOccurrencesInContext) return;
      std::vector<TPassageOccurrence>& kept = by_key[GroupKey(text, true, grouping_.letter_case)];
      if (kept.size() >= static_cast<size_t>(kListedOccurrences)) return;
      TPassageContext context = ContextAround(narrow_text, start, passage.size());
      kept.push_back({std::string(file_name), position, std::move(context.before), text,
                      std::move(context.after)});
    });
  }
}

void TPassagePlaces::ForgetOccurrences() {
  occurrences_.clear();
  places_.clear();
}

std::vector<TTagPassages> TPassagePlaces::TakeTagPassages(
    const TStatArray& stats, const std::vector<const TFrequencyList*>& distinct) {
  std::vector<TTagPassages> tags;
  for (size_t t = 0; t < stats.size(); ++t) {
    TTagPassages& tag = tags.emplace_back();
    tag.name = stats[t].Name;
    tag.color = stats[t].Color;
    for (const TFrequencyEntry& entry : *distinct.at(t)) {
      TDistinctPassage& passage = tag.passages.emplace_back();
      // The text view shows the file's own text, never a passage's: a copy of each distinct
      // passage (as large as the file for one huge passage) would only add to the peak.
      if (kept_ != TPassagesKept::kPlacesInText) passage.text = entry.Text;
      passage.count = entry.Count;
      if (t >= occurrences_.size() || occurrences_[t].empty()) continue;
      const auto kept = occurrences_[t].find(GroupKey(entry.Text, true, grouping_.letter_case));
      if (kept != occurrences_[t].end()) passage.occurrences = std::move(kept->second);
    }
  }
  return tags;
}

std::vector<TTextHighlight> TPassagePlaces::TakeHighlights(
    const std::vector<const TFrequencyList*>& distinct) {
  std::vector<TTextHighlight> highlights;
  for (size_t t = 0; t < distinct.size() && t < places_.size(); ++t) {
    int32_t number = 0;
    for (const TFrequencyEntry& entry : *distinct[t]) {
      ++number;
      const auto kept = places_[t].find(GroupKey(entry.Text, true, grouping_.letter_case));
      if (kept == places_[t].end()) continue;
      for (const auto& [begin, end] : kept->second) {
        highlights.push_back({begin, end, static_cast<int32_t>(t + 1), number});
      }
    }
  }
  places_.clear();
  return highlights;
}

}  // namespace farrowdale
