#include "count/distinct_passages.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#include "text/code_page.h"
#include "text/collation.h"
#include "text/list_quicksort.h"
#include "text/trim.h"

namespace farrowdale {
namespace {

// The ids in a list's order, as runs of equal ids.
std::vector<TPassageRun> RunsOf(const std::vector<uint32_t>& ids) {
  std::vector<TPassageRun> runs;
  for (const uint32_t id : ids) {
    if (!runs.empty() && runs.back().Id == id) {
      ++runs.back().Entries;
    } else {
      runs.push_back({id, 1});
    }
  }
  return runs;
}

// A hash of a passage for the tally's table: eight bytes a step, mixed by multiplication, the
// high bits folded into the low ones the table uses. Several times cheaper than the standard
// library's on passages of a few dozen bytes.
uint64_t PassageHash(std::string_view passage) {
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
  uint64_t hash = passage.size() * kMultiplier;
  size_t at = 0;
  for (; at + sizeof(uint64_t) <= passage.size(); at += sizeof(uint64_t)) {
    uint64_t word;
    std::memcpy(&word, passage.data() + at, sizeof word);
    hash = (hash ^ word) * kMultiplier;
    hash ^= hash >> 32;
  }
  uint64_t tail = 0;
  if (at < passage.size()) std::memcpy(&tail, passage.data() + at, passage.size() - at);
  hash = (hash ^ tail) * kMultiplier;
  return hash ^ (hash >> 29);
}

// Whether narrow text converted to Unicode and back is what it was, so that different
// narrow texts stay different Unicode texts and keep their own narrow form: true for UTF-8
// (run texts are well-formed) and windows-1252 (every byte decodes and encodes back).
bool NarrowTextRoundTrips() {
  return SystemCodePageKind() == ECodePageKind::kUtf8 || SystemCodePageName() == "windows-1252";
}

// A sort key's half: four weights of a text, one byte each, or kNoKey for a text without
// keys (the first byte of a half is a weight, at most 128).
constexpr uint32_t kNoKey = ~uint32_t{0};

uint32_t KeyOf(const TKeptCount& entry) { return std::bit_cast<uint32_t>(entry.Count); }
void SetKey(TKeptCount& entry, uint32_t key) { entry.Count = std::bit_cast<int32_t>(key); }

// Calls visit(first, last) for each stretch of at least two entries with equal keys in
// [first, last).
template <typename Iterator, typename Visit>
void ForEachEqualKeys(Iterator first, Iterator last, Visit visit) {
  while (first != last) {
    const uint32_t key = KeyOf(*first);
    const Iterator end = std::find_if(
        first + 1, last, [key](const TKeptCount& entry) { return KeyOf(entry) != key; });
    if (end - first > 1) visit(first, end);
    first = end;
  }
}

// Sorts entries by the collation of their texts, which form_of gives, using each entry's
// Count for its keys (it ends as kNoKey for a text without keys); returns whether two
// different texts tie. Texts with keys are sorted by their first four weights, stretches of
// equal ones by the next four, and only stretches equal in all eight by their whole texts,
// so that most texts are read twice at most and no array of keys is needed. A key whose last
// weight is 0 holds the end of its texts: texts with equal keys of that kind tie. The texts
// without keys are sorted by their whole texts and merged in.
bool SortByCollation(std::vector<TKeptCount>& entries, const TKeptFormOf& form_of) {
  const auto compare = [&form_of](const TKeptCount& a, const TKeptCount& b) {
    return CompareKeptForms(form_of(a.Place), form_of(b.Place));
  };
  const auto before = [&compare](const TKeptCount& a, const TKeptCount& b) {
    return compare(a, b) < 0;
  };
  const auto by_key = [](const TKeptCount& a, const TKeptCount& b) { return KeyOf(a) < KeyOf(b); };
  for (TKeptCount& entry : entries) {
    const uint64_t key = CollationKey(form_of(entry.Place));
    SetKey(entry, key == kNoCollationKey ? kNoKey : static_cast<uint32_t>(key >> 32));
  }
  const auto keyless = std::partition(entries.begin(), entries.end(),
                                      [](const TKeptCount& e) { return KeyOf(e) != kNoKey; });
  bool ties = false;
  std::sort(entries.begin(), keyless, by_key);
  ForEachEqualKeys(entries.begin(), keyless, [&](auto first, auto last) {
    if ((KeyOf(*first) & 0xFF) == 0) {
      ties = true;
      return;
    }
    for (auto at = first; at != last; ++at) {
      SetKey(*at, static_cast<uint32_t>(CollationKey(form_of(at->Place))));
    }
    std::sort(first, last, by_key);
    ForEachEqualKeys(first, last, [&](auto equal_first, auto equal_last) {
      if ((KeyOf(*equal_first) & 0xFF) == 0) {
        ties = true;
        return;
      }
      std::sort(equal_first, equal_last, before);
      for (auto at = equal_first + 1; at != equal_last; ++at) {
        if (compare(*(at - 1), *at) == 0) ties = true;
      }
    });
  });
  if (keyless == entries.end()) return ties;
  std::sort(keyless, entries.end(), before);
  std::inplace_merge(entries.begin(), keyless, entries.end(), before);
  // A text without keys may tie with any other: its neighbours tell.
  for (size_t k = 1; k < entries.size() && !ties; ++k) {
    if (KeyOf(entries[k - 1]) == kNoKey || KeyOf(entries[k]) == kNoKey) {
      ties = compare(entries[k - 1], entries[k]) == 0;
    }
  }
  return ties;
}

}  // namespace

TPassageTally TallyPassages(const std::vector<std::string_view>& passages) {
  TPassageTally tally;
  if (passages.empty()) return tally;
  tally.sequence.reserve(passages.size());
  // Open addressing over the distinct passages (each slot: position in texts + 1, or 0 when
  // free), at most half full: no allocation per passage.
  size_t slot_count = 16;
  while (slot_count < 2 * passages.size()) slot_count *= 2;
  std::vector<uint32_t> slots(slot_count, 0);
  // Room for every passage being distinct in the usual short lists, so that they do not grow
  // by steps; long lists with few distinct passages are not given room they will not use.
  const size_t room = std::min<size_t>(passages.size(), 4096);
  std::vector<std::string_view> distinct;
  distinct.reserve(room);
  tally.places.reserve(room);
  tally.occurrences.reserve(room);
  for (const std::string_view passage : passages) {
    size_t slot = PassageHash(passage) & (slot_count - 1);
    while (slots[slot] != 0 && distinct[slots[slot] - 1] != passage) {
      slot = (slot + 1) & (slot_count - 1);
    }
    if (slots[slot] == 0) {
      distinct.push_back(passage);
      slots[slot] = static_cast<uint32_t>(distinct.size());
      tally.places.push_back(tally.blocks->KeepNarrow(passage));
      tally.occurrences.push_back(0);
    }
    const uint32_t id = slots[slot] - 1;
    ++tally.occurrences[id];
    tally.sequence.push_back(id);
  }
  return tally;
}

std::u16string_view TPassageTally::TextOf(uint32_t id, std::u16string& scratch) const {
  AppendFromKeptForm(blocks->FormAt(places[id]), scratch);
  return scratch;
}

std::vector<std::u16string> TPassageTally::Texts() const {
  std::vector<std::u16string> texts;
  texts.reserve(places.size());
  for (const uint32_t place : places) texts.push_back(blocks->TextAt(place));
  return texts;
}

bool SortLikeTheList(std::vector<TKeptCount>& entries, const TKeptFormOf& form_of,
                     const std::function<std::vector<uint32_t>()>& sequence) {
  const size_t count = entries.size();
  if (count < 2) return false;  // nothing to compare
  // The counts other than 1 wait aside, by Place, while the sort uses the entries' counts.
  std::vector<TKeptCount> counts_aside;
  for (const TKeptCount& entry : entries) {
    if (entry.Count != 1) counts_aside.push_back(entry);
  }
  const auto by_place = [](const TKeptCount& a, const TKeptCount& b) { return a.Place < b.Place; };
  if (!std::is_sorted(counts_aside.begin(), counts_aside.end(), by_place)) {
    std::sort(counts_aside.begin(), counts_aside.end(), by_place);
  }
  if (!SortByCollation(entries, form_of)) {
    for (TKeptCount& entry : entries) {
      const auto aside =
          std::lower_bound(counts_aside.begin(), counts_aside.end(), entry, by_place);
      const bool kept_aside = aside != counts_aside.end() && aside->Place == entry.Place;
      entry.Count = kept_aside ? aside->Count : 1;
    }
    return false;
  }
  // Each text's place in the collation order, texts that tie sharing one, looked up by Place.
  struct TRanked {
    uint32_t Place;
    uint32_t Rank;
  };
  std::vector<TRanked> ranked(count);
  for (size_t k = 0; k < count; ++k) {
    const bool ties =
        k > 0 && CompareKeptForms(form_of(entries[k - 1].Place), form_of(entries[k].Place)) == 0;
    ranked[k] = {entries[k].Place, k == 0 ? 0 : ranked[k - 1].Rank + (ties ? 0 : 1)};
  }
  std::vector<TKeptCount>().swap(entries);
  std::vector<TKeptCount>().swap(counts_aside);
  std::sort(ranked.begin(), ranked.end(),
            [](const TRanked& a, const TRanked& b) { return a.Place < b.Place; });
  // The list's entries, each the index of its text in ranked, sorted as the list sorts them.
  std::vector<uint32_t> list = sequence();
  for (uint32_t& entry : list) {
    entry = static_cast<uint32_t>(
        std::lower_bound(ranked.begin(), ranked.end(), entry,
                         [](const TRanked& a, uint32_t place) { return a.Place < place; }) -
        ranked.begin());
  }
  ListQuicksort(
      static_cast<int>(list.size()),
      [&](int first, int second) {
        const uint32_t a = ranked[list[first]].Rank;
        const uint32_t b = ranked[list[second]].Rank;
        return (a > b) - (a < b);
      },
      [&](int first, int second) { std::swap(list[first], list[second]); });
  for (const TPassageRun& run : RunsOf(list)) {
    entries.push_back({ranked[run.Id].Place, run.Entries});
  }
  return true;
}

std::vector<TPassageRun> SortLikeTheList(TPassageTally& tally, bool& texts_tie) {
  std::vector<TKeptCount> entries;
  entries.reserve(tally.occurrences.size());
  for (uint32_t id = 0; id < tally.occurrences.size(); ++id) {
    entries.push_back({id, tally.occurrences[id]});
  }
  texts_tie = SortLikeTheList(
      entries, [&tally](uint32_t id) { return tally.blocks->FormAt(tally.places[id]); },
      [&tally] { return std::move(tally.sequence); });
  std::vector<TPassageRun> runs;
  runs.reserve(entries.size());
  for (const TKeptCount& entry : entries) runs.push_back({entry.Place, entry.Count});
  return runs;
}

TFrequencyList GroupPassageRuns(const std::vector<TPassageRun>& runs, const TPassageTally& tally,
                                bool texts_tie, ELetterCase letter_case) {
  std::vector<TKeptCount> kept;
  kept.reserve(runs.size());
  for (const TPassageRun& run : runs) kept.push_back({tally.places[run.Id], run.Entries});
  return GroupKeptPassageRuns(std::move(kept), tally.blocks, texts_tie, letter_case);
}

TFrequencyList GroupKeptPassageRuns(std::vector<TKeptCount> runs,
                                    std::shared_ptr<TTextBlocks> blocks, bool texts_tie,
                                    ELetterCase letter_case) {
  // A kept form starts and ends with a byte below 0x80 exactly where the text starts and ends
  // with an ASCII character, so the trimming is read from the form's two ends.
  const auto is_trimmed = [&](const TKeptCount& run) {
    const std::string_view form = blocks->FormAt(run.Place);
    const auto trims = [](char byte) { return static_cast<unsigned char>(byte) <= 32; };
    return form.empty() || (!trims(form.front()) && !trims(form.back()));
  };
  // Texts are grouped by their narrow form, trimmed and case folded. Two trimmed texts decoded
  // from different narrow texts could share that key only by differing in letter case alone
  // (in A-Z, or in any alphabet under simple case folding), and such texts tie under the
  // collation, which ignores case at every letter: without ties each run is a group of its own
  // (empty texts form none), and no key needs to be made.
  if (!texts_tie && NarrowTextRoundTrips() && std::all_of(runs.begin(), runs.end(), is_trimmed)) {
    std::erase_if(runs, [&](const TKeptCount& run) { return blocks->FormAt(run.Place).empty(); });
    TFrequencyList freq(std::move(blocks), std::move(runs));
    SortByCount(freq);
    return freq;
  }
  std::vector<TPassageRun> numbered;
  numbered.reserve(runs.size());
  for (const TKeptCount& run : runs) numbered.push_back({run.Place, run.Count});
  std::vector<TKeptCount>().swap(runs);
  const auto text_of = [&blocks](uint32_t place, std::u16string& scratch) {
    AppendFromKeptForm(blocks->FormAt(place), scratch);
    return std::u16string_view(scratch);
  };
  const std::vector<TRunGroup> groups =
      GroupRunsOfTexts(numbered, text_of, /*fold_case=*/true, letter_case,
                       [&blocks](uint32_t place) { return blocks->FormAt(place); });
  TFrequencyList freq(blocks);
  freq.Reserve(groups.size());
  std::u16string scratch;
  for (const TRunGroup& group : groups) {
    // A trimmed text is shown as kept; only one that needs trimming is decoded.
    const uint32_t place = numbered[group.Run].Id;
    if (is_trimmed(TKeptCount{place, group.Entries})) {
      freq.AddKept(place, group.Entries);
      continue;
    }
    scratch.clear();
    freq.Add(Trim(text_of(place, scratch)), group.Entries);
  }
  SortByCount(freq);
  return freq;
}

}  // namespace farrowdale
