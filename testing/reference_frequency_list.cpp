#include "testing/reference_frequency_list.h"

#include <map>
#include <utility>

#include "text/code_page.h"
#include "text/collation.h"
#include "text/list_quicksort.h"
#include "text/trim.h"

namespace farrowdale {

void SortLikeTheStringList(std::vector<std::u16string>& texts) {
  ListQuicksort(
      static_cast<int>(texts.size()),
      [&](int first, int second) { return CompareText(texts[first], texts[second], false); },
      [&](int first, int second) { std::swap(texts[first], texts[second]); });
}

std::vector<TFrequencyEntry> ReferenceFrequencyList(std::vector<std::u16string> texts,
                                                    ELetterCase letter_case) {
  SortLikeTheStringList(texts);
  struct TGroup {
    int32_t count = 0;
    size_t last = 0;
  };
  std::map<std::string, TGroup> groups;
  for (size_t at = 0; at < texts.size(); ++at) {
    const std::u16string_view trimmed = Trim(texts[at]);
    std::string key = letter_case == ELetterCase::kEveryAlphabet
                          ? ToNarrow(SimpleCaseFolded(trimmed))
                          : ToNarrow(trimmed);
    for (char& c : key) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (key.empty()) continue;
    TGroup& group = groups[key];
    ++group.count;
    group.last = at;
  }
  std::map<size_t, int32_t> by_place;
  for (const auto& [key, group] : groups) by_place[group.last] = group.count;
  std::vector<TFrequencyEntry> entries;
  for (const auto& [last, count] : by_place) {
    entries.push_back({std::u16string(Trim(texts[last])), count});
  }
  ListQuicksort(
      static_cast<int>(entries.size()),
      [&](int first, int second) { return entries[second].Count - entries[first].Count; },
      [&](int first, int second) { std::swap(entries[first], entries[second]); });
  return entries;
}

}  // namespace farrowdale
