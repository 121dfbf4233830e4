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

namespace {

std::string ReferenceKey(std::u16string_view text, bool fold_case, ELetterCase letter_case) {
  const std::u16string_view trimmed = Trim(text);
  if (!fold_case) return ToNarrow(trimmed);
  std::string key = letter_case == ELetterCase::kEveryAlphabet ? ToNarrow(SimpleCaseFolded(trimmed))
                                                               : ToNarrow(trimmed);
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

}  // namespace

std::vector<TRunGroup> ReferenceGroupRunsOfTexts(const std::vector<TPassageRun>& runs,
                                                 const std::vector<std::u16string>& texts,
                                                 bool fold_case, ELetterCase letter_case) {
  struct TGroup {
    int32_t entries = 0;
    size_t last = 0;
  };
  std::map<std::string, TGroup> groups;
  for (size_t run = 0; run < runs.size(); ++run) {
    const std::string key = ReferenceKey(texts[runs[run].Id], fold_case, letter_case);
    if (key.empty()) continue;
    TGroup& group = groups[key];
    group.entries += runs[run].Entries;
    group.last = run;
  }
  std::map<size_t, int32_t> by_place;
  for (const auto& [key, group] : groups) by_place[group.last] = group.entries;
  std::vector<TRunGroup> found;
  for (const auto& [last, entries] : by_place) {
    found.push_back({static_cast<uint32_t>(last), entries});
  }
  return found;
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
    const std::string key = ReferenceKey(texts[at], /*fold_case=*/true, letter_case);
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
