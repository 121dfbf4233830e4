// Passages are first put in the groups the default grouping makes (A-Z folded, spacing
// exact); a note is due where one group of the optional grouping takes several of those.
#include "count/grouping_notes.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <utility>

#include "count/frequency_list.h"
#include "text/code_page.h"
#include "text/passage_grouping.h"

namespace farrowdale {
namespace {

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// One default group: its passages in order of first occurrence, with their occurrences.
struct TDefaultGroup {
  std::pair<size_t, size_t> order;  // first occurrence of any of its passages
  std::string text;                 // that passage
  std::string place;
  int occurrences = 0;
};

// The optional groups that take more than one default group, each as its default groups in
// order of first occurrence, the optional groups ordered by their first occurrence.
std::vector<std::vector<TDefaultGroup>> MergedGroups(
    const std::map<std::string, TDefaultGroup>& defaults,
    std::string (*optional_key)(std::string_view)) {
  std::map<std::string, std::vector<TDefaultGroup>> optional;
  for (const auto& [key, group] : defaults) optional[optional_key(group.text)].push_back(group);
  std::vector<std::vector<TDefaultGroup>> merged;
  for (auto& [key, groups] : optional) {
    if (groups.size() < 2) continue;
    std::sort(groups.begin(), groups.end(),
              [](const TDefaultGroup& a, const TDefaultGroup& b) { return a.order < b.order; });
    merged.push_back(std::move(groups));
  }
  std::sort(merged.begin(), merged.end(),
            [](const auto& a, const auto& b) { return a.front().order < b.front().order; });
  return merged;
}

std::string FoldedSpaceKey(std::string_view passage) {
  return GroupKey(ToUnicode(FoldedSpaces(passage)), true);
}

std::string EveryAlphabetKey(std::string_view passage) {
  return GroupKey(ToUnicode(passage), true, ELetterCase::kEveryAlphabet);
}

}  // namespace

// A file holds a few dozen passages of a tag: sorting their positions by text finds the equal
// ones without a node allocated per distinct passage.
std::vector<TNotePassage> DistinctNotePassages(
    const std::vector<std::string_view>& passages,
    const std::function<std::string(std::string_view)>& place_of) {
  std::vector<size_t> by_text(passages.size());
  std::iota(by_text.begin(), by_text.end(), size_t{0});
  std::stable_sort(by_text.begin(), by_text.end(),
                   [&](size_t a, size_t b) { return passages[a] < passages[b]; });
  // Each distinct text's first position (the stable sort puts it first among its equals) and
  // occurrences, then in order of first position.
  std::vector<std::pair<size_t, int>> firsts;
  for (size_t i = 0; i < by_text.size(); ++i) {
    if (i == 0 || passages[by_text[i]] != passages[by_text[i - 1]]) {
      firsts.emplace_back(by_text[i], 0);
    }
    ++firsts.back().second;
  }
  std::sort(firsts.begin(), firsts.end());
  std::vector<TNotePassage> distinct;
  distinct.reserve(firsts.size());
  for (const auto& [first, occurrences] : firsts) {
    distinct.push_back({std::string(passages[first]), place_of(passages[first]), occurrences});
  }
  return distinct;
}

void TGroupingNotes::AddFile(size_t tag, size_t file_order, std::vector<TNotePassage>&& passages) {
  TTag& notes = tags_[tag];
  const std::lock_guard lock(notes.mutex);
  for (size_t i = 0; i < passages.size(); ++i) {
    TNotePassage& passage = passages[i];
    const TOrder order(file_order, i);
    auto found = notes.seen.find(std::string_view(passage.text));
    if (found == notes.seen.end()) {
      notes.seen.emplace(std::move(passage.text),
                         TDistinct{std::move(passage.place), order, passage.occurrences});
      continue;
    }
    TDistinct& seen = found->second;
    if (order < seen.order) {
      seen.order = order;
      seen.place = std::move(passage.place);
    }
    seen.occurrences += passage.occurrences;
  }
}

std::vector<std::string> TGroupingNotes::Notes(size_t tag, std::string_view name) const {
  std::map<std::string, TDefaultGroup> defaults;
  for (const auto& [text, seen] : tags_[tag].seen) {
    TDefaultGroup& group = defaults[GroupKey(ToUnicode(text), true)];
    if (group.occurrences == 0 || seen.order < group.order) {
      group.order = seen.order;
      group.text = text;
      group.place = seen.place;
    }
    group.occurrences += seen.occurrences;
  }
  std::vector<std::string> notes;
  const auto passages_in = [](const std::vector<std::vector<TDefaultGroup>>& merged) {
    int passages = 0;
    for (const auto& groups : merged) {
      for (const TDefaultGroup& group : groups) passages += group.occurrences;
    }
    return std::to_string(passages) + (passages == 1 ? " passage differs" : " passages differ");
  };
  const auto spaced = MergedGroups(defaults, FoldedSpaceKey);
  if (!spaced.empty()) {
    notes.push_back("tag " + Quoted(name) + ": " + passages_in(spaced) +
                    " from another only in spaces or line breaks (e.g. " + spaced.front()[1].place +
                    "); --fold-space counts them as one");
  }
  const auto cased = MergedGroups(defaults, EveryAlphabetKey);
  if (!cased.empty()) {
    const std::vector<TDefaultGroup>& example = cased.front();
    notes.push_back("tag " + Quoted(name) + ": " + passages_in(cased) +
                    " from another only in letter case outside A-Z (" + example[0].text + " / " +
                    example[1].text + ", " + example[1].place +
                    "); --fold-case counts them as one");
  }
  return notes;
}

}  // namespace farrowdale
