#include "run/passage_places.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "count/passage_occurrences.h"
#include "text/code_page.h"
#include "text/text_position.h"

namespace farrowdale {

TPassagePlaces::TPassagePlaces(std::optional<TAtomicFile> table_file, TPassagesKept kept,
                               TPassageGrouping grouping)
    : kept_(kept), grouping_(grouping) {
  if (table_file) table_.emplace(PassagesTable(std::move(table_file)));
}

void TPassagePlaces::AddFile(const std::string& narrow_text,
                             const std::vector<TLoneLineEnd>& lone_line_ends,
                             const TTagArray& tag_set,
                             const std::vector<std::vector<TPassageSpan>>& spans,
                             std::string_view file_name) {
  std::vector<const std::string*> tag_names;
  for (const TTagInfo& tag : tag_set) {
    if (!IsSkippedTag(tag)) tag_names.push_back(&tag.Name);
  }
  if (occurrences_.size() < spans.size()) occurrences_.resize(spans.size());
  if (places_.size() < spans.size()) places_.resize(spans.size());
  // The text view needs only where each passage stands and which distinct passage it is.
  if (kept_ == TPassagesKept::kPlacesInText) {
    for (size_t k = 0; k < spans.size(); ++k)
      places_[k].reserve(places_[k].size() + spans[k].size());
  }
  const EOccurrenceDetail detail = table_ || kept_ == TPassagesKept::kOccurrencesInContext
                                       ? EOccurrenceDetail::kPlaceAndText
                                       : EOccurrenceDetail::kPlace;
  const auto visit = [&](const TPassageOccurrenceAt& at) {
    if (table_) {
      const bool exact = !at.spaces_folded && !lone_line_ends.empty() &&
                         at.passage.find('\r') != std::string_view::npos;
      AddPassageRecord(*table_, *tag_names.at(at.tag), file_name, at.position,
                       exact ? ToUnicode(WithLineEndsAsWritten(
                                   narrow_text, at.start, at.passage.size(),
                                   static_cast<size_t>(at.position.line - 1), lone_line_ends))
                             : at.text);
    }
    if (kept_ == TPassagesKept::kPlacesInText) {
      places_[at.tag].push_back(
          {at.start, at.start + at.passage.size(), NarrowGroupKeyHash(at.passage, grouping_)});
    }
    if (kept_ != TPassagesKept::kOccurrencesInContext) return;
    std::vector<TPassageOccurrence>& kept =
        occurrences_[at.tag][GroupKey(at.text, true, grouping_.letter_case)];
    if (kept.size() >= static_cast<size_t>(kListedOccurrences)) return;
    TPassageContext context = ContextAround(narrow_text, at.start, at.passage.size());
    kept.push_back({std::string(file_name), at.position, std::move(context.before), at.text,
                    std::move(context.after)});
  };
  ForEachPassageOccurrence(narrow_text, spans, grouping_, visit, detail);
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
    const TFrequencyList& list = *distinct.at(t);
    for (size_t i = 0; i < list.size(); ++i) {
      TDistinctPassage& passage = tag.passages.emplace_back();
      // The text view shows the file's own text, never a passage's: a copy of each distinct
      // passage (as large as the file for one huge passage) would only add to the peak.
      if (kept_ != TPassagesKept::kPlacesInText) passage.text = list.Text(i);
      passage.count = list.Count(i);
      if (t >= occurrences_.size() || occurrences_[t].empty()) continue;
      const auto kept = occurrences_[t].find(GroupKey(list.Text(i), true, grouping_.letter_case));
      if (kept != occurrences_[t].end()) passage.occurrences = std::move(kept->second);
    }
  }
  return tags;
}

std::vector<TTextHighlight> TPassagePlaces::TakeHighlights(
    const std::vector<const TFrequencyList*>& distinct) {
  std::vector<TTextHighlight> highlights;
  size_t place_count = 0;
  for (const std::vector<TPlace>& places : places_) place_count += places.size();
  highlights.reserve(place_count);
  // Per tag, the hash of each distinct passage's key with its number, sorted by hash: a
  // place finds its passage by binary search. Should two passages share a hash, the one
  // listed first is found, as the first one entered into a map would be.
  std::vector<std::pair<TGroupKeyHash, int32_t>> numbers;
  const auto by_hash = [](const std::pair<TGroupKeyHash, int32_t>& a,
                          const std::pair<TGroupKeyHash, int32_t>& b) {
    return std::tie(a.first.high, a.first.low, a.second) <
           std::tie(b.first.high, b.first.low, b.second);
  };
  for (size_t t = 0; t < distinct.size() && t < places_.size(); ++t) {
    numbers.clear();
    // Each passage's key is hashed from its kept form: a long passage is never made whole.
    const TFrequencyList& list = *distinct[t];
    for (size_t i = 0; i < list.size(); ++i) {
      numbers.emplace_back(KeptGroupKeyHash(list.Form(i), grouping_.letter_case),
                           static_cast<int32_t>(i + 1));
    }
    std::sort(numbers.begin(), numbers.end(), by_hash);
    for (const TPlace& place : places_[t]) {
      const auto found = std::lower_bound(numbers.begin(), numbers.end(),
                                          std::pair(place.key, int32_t{0}), by_hash);
      if (found == numbers.end() || found->first != place.key) continue;
      highlights.push_back({place.begin, place.end, static_cast<int32_t>(t + 1), found->second});
    }
  }
  places_.clear();
  return highlights;
}

}  // namespace farrowdale
