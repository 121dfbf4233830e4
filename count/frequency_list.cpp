// The frequency list. The source list is sorted by the locale's collation, then texts with
// the same key (trimmed, narrow, A-Z folded) are counted as one group wherever the sort put
// them: a collation that ties different texts (a no-break space against a space, say) may
// place other texts between the members of one group. The groups are then ordered by the
// list's quicksort, whose tie order is part of the output.
#include "count/frequency_list.h"

#include <memory>
#include <unordered_map>
#include <utility>

#include "count/group_key_hash.h"
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

// Texts longer than this (in UTF-16 units, or bytes of their kept form) are keyed in pieces.
constexpr size_t kLongText = 64 * 1024;

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
                                        ELetterCase letter_case, const TKeptFormOf& form_of) {
  // Runs are grouped by their key's hash, and a run joins a group with the same hash only
  // when its key is byte for byte the group's first run's key, so the groups are exactly
  // those of equal keys. A short text's key is made whole and kept, end to end with the
  // others (no allocation per run); a long one's is made piece by piece, to hash it and
  // again for each comparison, and is never held.
  std::string keys;
  std::vector<size_t> key_ends;  // of each run's kept key in keys (an empty one when not kept)
  key_ends.reserve(runs.size());
  std::vector<bool> keyed_in_pieces(runs.size(), false);
  std::u16string scratch;
  std::u16string other_scratch;
  const auto is_long = [&](uint32_t id, std::u16string& text_scratch) {
    if (form_of) return form_of(id).size() > kLongText;
    return text_of(id, text_scratch).size() > kLongText;
  };
  const auto reader = [&](uint32_t id, std::u16string& text_scratch) {
    if (form_of)
      return std::make_unique<TGroupKeyReader>(TKeptForm{form_of(id)}, fold_case, letter_case);
    text_scratch.clear();
    return std::make_unique<TGroupKeyReader>(text_of(id, text_scratch), fold_case, letter_case);
  };
  const auto key_of = [&](size_t run) {
    const size_t key_start = run == 0 ? 0 : key_ends[run - 1];
    return std::string_view(keys.data() + key_start, key_ends[run] - key_start);
  };
  // The pieces of a run's key, from where it was kept or made again from its text.
  const auto key_pieces = [&](size_t run, std::u16string& text_scratch,
                              std::unique_ptr<TGroupKeyReader>& made) {
    if (keyed_in_pieces[run]) made = reader(runs[run].Id, text_scratch);
    return [&made, key = key_of(run), given = false]() mutable -> std::string_view {
      if (made) return made->Next();
      return std::exchange(given, true) ? std::string_view() : key;
    };
  };
  const auto same_key = [&](size_t a, size_t b) {
    if (!keyed_in_pieces[a] && !keyed_in_pieces[b]) return key_of(a) == key_of(b);
    std::unique_ptr<TGroupKeyReader> made_a;
    std::unique_ptr<TGroupKeyReader> made_b;
    return SameKeyPieces(key_pieces(a, scratch, made_a), key_pieces(b, other_scratch, made_b));
  };

  struct TGroup {
    size_t first = 0;       // the run whose key stands for the group
    size_t last = 0;        // its last run so far
    size_t next_alike = 0;  // the next group with the same hash, or kNone
  };
  constexpr size_t kNone = static_cast<size_t>(-1);
  std::vector<TGroup> groups;
  std::unordered_map<TGroupKeyHash, size_t, TGroupKeyHashHasher> first_of_hash;
  first_of_hash.reserve(runs.size());
  // Each group's size, recorded at the position of its last run.
  std::vector<int32_t> size_at(runs.size(), 0);
  for (size_t i = 0; i < runs.size(); ++i) {
    TGroupKeyHash hash;
    bool empty = false;
    scratch.clear();
    if (is_long(runs[i].Id, scratch)) {
      keyed_in_pieces[i] = true;
      const std::unique_ptr<TGroupKeyReader> key = reader(runs[i].Id, scratch);
      TByteHasher bytes;
      empty = true;
      for (std::string_view piece = key->Next(); !piece.empty(); piece = key->Next()) {
        bytes.Append(piece);
        empty = false;
      }
      hash = bytes.Finish();
      key_ends.push_back(keys.size());
    } else {
      const size_t key_start = keys.size();
      scratch.clear();
      AppendGroupKey(text_of(runs[i].Id, scratch), fold_case, letter_case, keys);
      key_ends.push_back(keys.size());
      TByteHasher bytes;
      bytes.Append(std::string_view(keys).substr(key_start));
      hash = bytes.Finish();
      empty = keys.size() == key_start;
    }
    if (empty) continue;
    const auto [it, added] = first_of_hash.try_emplace(hash, groups.size());
    size_t group = it->second;
    size_t* link = nullptr;
    if (!added) {
      while (group != kNone && !same_key(groups[group].first, i)) {
        link = &groups[group].next_alike;
        group = groups[group].next_alike;
      }
    }
    if (added || group == kNone) {
      if (link) *link = groups.size();
      groups.push_back({i, i, kNone});
      size_at[i] = runs[i].Entries;
      continue;
    }
    size_at[i] = size_at[groups[group].last] + runs[i].Entries;
    size_at[groups[group].last] = 0;
    groups[group].last = i;
  }
  std::vector<TRunGroup> found;
  found.reserve(groups.size());
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
