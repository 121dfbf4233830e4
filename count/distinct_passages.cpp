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
  // While the entries are sorted, each one's count holds its text's collation key, so that
  // most comparisons read no text and no array of keys is needed; the counts other than 1
  // wait aside, by Place.
  std::vector<TKeptCount> counts_aside;
  for (TKeptCount& entry : entries) {
    if (entry.Count != 1) counts_aside.push_back(entry);
    entry.Count = std::bit_cast<int32_t>(CollationKey(form_of(entry.Place)));
  }
  const auto by_place = [](const TKeptCount& a, const TKeptCount& b) { return a.Place < b.Place; };
  if (!std::is_sorted(counts_aside.begin(), counts_aside.end(), by_place)) {
    std::sort(counts_aside.begin(), counts_aside.end(), by_place);
  }
  const auto compare = [&form_of](const TKeptCount& a, const TKeptCount& b) {
    const auto key_a = std::bit_cast<uint32_t>(a.Count);
    const auto key_b = std::bit_cast<uint32_t>(b.Count);
    if (key_a != key_b && key_a != kNoCollationKey && key_b != kNoCollationKey) {
      return key_a < key_b ? -1 : 1;
    }
    return CompareKeptForms(form_of(a.Place), form_of(b.Place));
  };
  std::sort(entries.begin(), entries.end(),
            [&](const TKeptCount& a, const TKeptCount& b) { return compare(a, b) < 0; });
  // Ties are neighbours in any sorted order, so one look at each pair of neighbours finds them.
  size_t k = 1;
  while (k < count && compare(entries[k - 1], entries[k]) != 0) ++k;
  if (k == count) {
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
  for (k = 0; k < count; ++k) {
    const bool ties = k > 0 && compare(entries[k - 1], entries[k]) == 0;
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
      GroupRunsOfTexts(numbered, text_of, /*fold_case=*/true, letter_case);
  TFrequencyList freq(blocks);
  freq.Reserve(groups.size());
  std::u16string scratch;
  for (const TRunGroup& group : groups) {
    const uint32_t place = numbered[group.Run].Id;
    scratch.clear();
    const std::u16string_view shown = text_of(place, scratch);
    if (Trim(shown).size() == shown.size()) {
      freq.AddKept(place, group.Entries);
    } else {
      freq.Add(Trim(shown), group.Entries);
    }
  }
  SortByCount(freq);
  return freq;
}

}  // namespace farrowdale
