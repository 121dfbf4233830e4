// Linear searches over the groups in order of first occurrence: slow, and plainly right.
#include "testing/reference_grouping_notes.h"

#include <algorithm>
#include <functional>

#include "count/frequency_list.h"
#include "text/code_page.h"
#include "text/passage_grouping.h"

namespace farrowdale {
namespace {

struct TGroup {
  std::string key;
  std::string text;   // its first passage
  std::string place;  // where that passage first occurs
  int occurrences = 0;
};

// Passages with equal key(text) in one group each, the groups in order of first occurrence.
std::vector<TGroup> Grouped(const std::vector<TGroup>& items,
                            const std::function<std::string(const std::string&)>& key) {
  std::vector<TGroup> groups;
  for (const TGroup& item : items) {
    const std::string item_key = key(item.text);
    auto group = std::find_if(groups.begin(), groups.end(),
                              [&](const TGroup& known) { return known.key == item_key; });
    if (group == groups.end()) {
      groups.push_back({item_key, item.text, item.place, 0});
      group = groups.end() - 1;
    }
    group->occurrences += item.occurrences;
  }
  return groups;
}

// The optional groups that take more than one default group, each as its default groups.
std::vector<std::vector<TGroup>> Merged(
    const std::vector<TGroup>& defaults,
    const std::function<std::string(const std::string&)>& optional_key) {
  std::vector<std::vector<TGroup>> merged;
  for (const TGroup& optional : Grouped(defaults, optional_key)) {
    std::vector<TGroup> members;
    for (const TGroup& group : defaults) {
      if (optional_key(group.text) == optional.key) members.push_back(group);
    }
    if (members.size() > 1) merged.push_back(members);
  }
  return merged;
}

std::string PassagesIn(const std::vector<std::vector<TGroup>>& merged) {
  int passages = 0;
  for (const auto& members : merged) {
    for (const TGroup& group : members) passages += group.occurrences;
  }
  return std::to_string(passages) + (passages == 1 ? " passage differs" : " passages differ");
}

}  // namespace

std::vector<std::string> ReferenceGroupingNotes(const std::vector<TPlacedPassage>& passages,
                                                std::string_view name) {
  std::vector<TGroup> occurrences;
  for (const TPlacedPassage& passage : passages) {
    occurrences.push_back({"", passage.text, passage.place, 1});
  }
  const std::vector<TGroup> defaults =
      Grouped(occurrences, [](const std::string& text) { return GroupKey(ToUnicode(text), true); });
  const auto spaced = Merged(defaults, [](const std::string& text) {
    return GroupKey(ToUnicode(FoldedSpaces(text)), true);
  });
  const auto cased = Merged(defaults, [](const std::string& text) {
    return GroupKey(ToUnicode(text), true, ELetterCase::kEveryAlphabet);
  });
  const std::string tag = "tag \"" + std::string(name) + "\": ";
  std::vector<std::string> notes;
  if (!spaced.empty()) {
    notes.push_back(tag + PassagesIn(spaced) +
                    " from another only in spaces or line breaks (e.g. " + spaced[0][1].place +
                    "); --fold-space counts them as one");
  }
  if (!cased.empty()) {
    notes.push_back(tag + PassagesIn(cased) + " from another only in letter case outside A-Z (" +
                    cased[0][0].text + " / " + cased[0][1].text + ", " + cased[0][1].place +
                    "); --fold-case counts them as one");
  }
  return notes;
}

}  // namespace farrowdale
