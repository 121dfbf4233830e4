// The frequency list. The source list is sorted by the locale's collation, then texts with
// the same key (trimmed, narrow, A-Z folded) are counted as one group wherever the sort put
// them: a collation that ties different texts (a no-break space against a space, say) may
// place other texts between the members of one group. The groups are then ordered by the
// list's quicksort, whose tie order is part of the output.
#include "count/frequency_list.h"

#include <unordered_map>

#include "text/code_page.h"
#include "text/list_quicksort.h"
#include "text/trim.h"

namespace farrowdale {
namespace {

// Appends the key of text to keys: trimmed, narrow, case folded when fold_case (A-Z, or
// every letter with ELetterCase::kEveryAlphabet).
void AppendGroupKey(std::u16string_view text, bool fold_case, ELetterCase letter_case,
                    std::string& keys) {
  const size_t start = keys.size();
  if (fold_case && letter_case == ELetterCase::kEveryAlphabet) {
    AppendNarrow(SimpleCaseFolded(Trim(text)), &keys);
    return;
  }
  AppendNarrow(Trim(text), &keys);
  if (!fold_case) return;
  for (size_t i = start; i < keys.size(); ++i) {
    if (keys[i] >= 'A' && keys[i] <= 'Z') keys[i] = static_cast<char>(keys[i] - 'A' + 'a');
  }
}

// Larger counts first.
int32_t CompareCounts(int32_t first, int32_t second) { return second - first; }

}  // namespace

std::string GroupKey(std::u16string_view text, bool fold_case, ELetterCase letter_case) {
  std::string key;
  AppendGroupKey(text, fold_case, letter_case, key);
  return key;
}

TFrequencyList CountDistinctTexts(TUnicodeStringList& source, bool fold_case) {
  if (source.EntryCount() == 0) return TFrequencyList();
  source.SetMatchCase(!fold_case);
  source.SortByText();
  // The closing empty entry callers have always found there; its key is empty, so it forms
  // no group.
  source.AddEntry(u"");
  std::vector<TSortedRun> runs;
  runs.reserve(source.EntryCount());
  for (int i = 0; i < source.EntryCount(); ++i) runs.push_back({source.EntryAt(i), 1});
  return GroupSortedRuns(runs, fold_case);
}

TFrequencyList GroupSortedRuns(const std::vector<TSortedRun>& runs, bool fold_case,
                               ELetterCase letter_case) {
  std::vector<TPassageRun> numbered;
  numbered.reserve(runs.size());
  for (uint32_t run = 0; run < runs.size(); ++run) numbered.push_back({run, runs[run].Entries});
  const std::vector<TRunGroup> groups = GroupRunsOfTexts(
      numbered, [&runs](uint32_t id, std::u16string&) { return runs[id].Text; }, fold_case,
      letter_case);
  TFrequencyList freq;
  freq.Reserve(groups.size());
  for (const TRunGroup& group : groups) freq.Add(Trim(runs[group.Run].Text), group.Entries);
  SortByCount(freq);
  return freq;
}

std::vector<TRunGroup> GroupRunsOfTexts(const std::vector<TPassageRun>& runs,
                                        const TTextOf& text_of, bool fold_case,
                                        ELetterCase letter_case) {
  // Every run's key, end to end in one string: no allocation per run.
  std::string keys;
  std::vector<size_t> key_ends;
  key_ends.reserve(runs.size());
  std::u16string scratch;
  for (const TPassageRun& run : runs) {
    scratch.clear();
    AppendGroupKey(text_of(run.Id, scratch), fold_case, letter_case, keys);
    key_ends.push_back(keys.size());
  }
  // Each group's size, recorded at the position of its last run.
  std::vector<int32_t> size_at(runs.size(), 0);
  std::unordered_map<std::string_view, size_t> last_of_key;
  last_of_key.reserve(runs.size());
  size_t groups = 0;
  for (size_t i = 0; i < runs.size(); ++i) {
    const size_t key_start = i == 0 ? 0 : key_ends[i - 1];
    const std::string_view key(keys.data() + key_start, key_ends[i] - key_start);
    if (key.empty()) continue;
    const auto [it, added] = last_of_key.try_emplace(key, i);
    const size_t previous_last = it->second;
    size_at[i] = added ? runs[i].Entries : size_at[previous_last] + runs[i].Entries;
    if (added) {
      ++groups;
    } else {
      size_at[previous_last] = 0;
    }
    it->second = i;
  }
  std::vector<TRunGroup> found;
  found.reserve(groups);
  for (size_t i = 0; i < runs.size(); ++i) {
    if (size_at[i] != 0) found.push_back({static_cast<uint32_t>(i), size_at[i]});
  }
  return found;
}

// The list's quicksort, so that counts that tie keep the order they always had. An entry is a
// pointer and a count, cheap to exchange, so the sort moves the entries themselves.
void SortByCount(TFrequencyList& freq) {
  if (freq.size() < 2) return;
  ListQuicksort(
      static_cast<int>(freq.size()),
      [&](int first, int second) { return CompareCounts(freq.Count(first), freq.Count(second)); },
      [&](int first, int second) { freq.SwapEntries(first, second); });
}

int32_t CompareByFreq(const TFrequencyEntry& first, const TFrequencyEntry& second) {
  return CompareCounts(first.Count, second.Count);
}

}  // namespace farrowdale
