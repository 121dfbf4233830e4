#include "count/distinct_passages.h"

#include <algorithm>
#include <cstring>
#include <numeric>
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

std::vector<TPassageRun> SortLikeTheList(const TKeptFormOf& form_of,
                                         const std::vector<int32_t>& occurrences,
                                         const std::function<std::vector<uint32_t>()>& sequence) {
  const size_t count = occurrences.size();
  if (count < 2) {  // nothing to compare
    std::vector<TPassageRun> runs;
    if (count == 1) runs.push_back({0, occurrences[0]});
    return runs;
  }
  std::vector<uint32_t> order(count);
  std::iota(order.begin(), order.end(), 0);
  // Each text's place in the collation order, texts that tie sharing one; made only when two
  // texts tie. Ties are neighbours in any sorted order, so one look at each pair of
  // neighbours finds them.
  std::vector<uint32_t> rank;
  {
    const TCaseIgnoringListOrder collation(count, form_of);
    const auto compare = [&](uint32_t a, uint32_t b) { return collation.Compare(a, b); };
    std::sort(order.begin(), order.end(),
              [&](uint32_t a, uint32_t b) { return compare(a, b) < 0; });
    size_t k = 1;
    while (k < count && compare(order[k - 1], order[k]) != 0) ++k;
    if (k < count) {
      rank.assign(count, 0);
      for (k = 1; k < count; ++k) {
        rank[order[k]] = rank[order[k - 1]] + (compare(order[k - 1], order[k]) == 0 ? 0 : 1);
      }
    }
  }  // the collation's keys are freed before the runs are made
  if (rank.empty()) {
    std::vector<TPassageRun> runs;
    runs.reserve(count);
    for (const uint32_t id : order) runs.push_back({id, occurrences[id]});
    return runs;
  }
  std::vector<uint32_t>().swap(order);
  std::vector<uint32_t> entries = sequence();
  ListQuicksort(
      static_cast<int>(entries.size()),
      [&](int first, int second) {
        const uint32_t a = rank[entries[first]];
        const uint32_t b = rank[entries[second]];
        return (a > b) - (a < b);
      },
      [&](int first, int second) { std::swap(entries[first], entries[second]); });
  return RunsOf(entries);
}

std::vector<TPassageRun> SortLikeTheList(TPassageTally& tally, bool& texts_tie) {
  return SortLikeTheList([&tally](uint32_t id) { return tally.blocks->FormAt(tally.places[id]); },
                         tally.occurrences,
                         [&] {
                           texts_tie = true;
                           return std::move(tally.sequence);
                         });
}

TFrequencyList GroupPassageRuns(const std::vector<TPassageRun>& runs, const TPassageTally& tally,
                                bool texts_tie, ELetterCase letter_case) {
  return GroupKeptPassageRuns(
      runs, [&tally](uint32_t id, std::u16string& scratch) { return tally.TextOf(id, scratch); },
      [&tally](uint32_t id) { return tally.places[id]; }, tally.blocks, texts_tie, letter_case);
}

TFrequencyList GroupKeptPassageRuns(const std::vector<TPassageRun>& runs, const TTextOf& text_of,
                                    const std::function<uint32_t(uint32_t id)>& kept_of,
                                    std::shared_ptr<TTextBlocks> blocks, bool texts_tie,
                                    ELetterCase letter_case) {
  std::u16string scratch;
  const auto text = [&](uint32_t id) {
    scratch.clear();
    return text_of(id, scratch);
  };
  // A kept form starts and ends with a byte below 0x80 exactly where the text starts and ends
  // with an ASCII character, so the trimming is read from the form's two ends.
  const auto is_trimmed = [&](uint32_t id) {
    const std::string_view form = blocks->FormAt(kept_of(id));
    const auto trims = [](char byte) { return static_cast<unsigned char>(byte) <= 32; };
    return form.empty() || (!trims(form.front()) && !trims(form.back()));
  };
  // Texts are grouped by their narrow form, trimmed and case folded. Two trimmed texts decoded
  // from different narrow texts could share that key only by differing in letter case alone
  // (in A-Z, or in any alphabet under simple case folding), and such texts tie under the
  // collation, which ignores case at every letter: without ties each run is a group of its own
  // (empty texts form none), and no key needs to be made.
  const bool own_groups = !texts_tie && NarrowTextRoundTrips() &&
                          std::all_of(runs.begin(), runs.end(),
                                      [&](const TPassageRun& run) { return is_trimmed(run.Id); });
  TFrequencyList freq(blocks);
  if (own_groups) {
    freq.Reserve(runs.size());
    for (const TPassageRun& run : runs) {
      // Without ties each text has one run.
      const uint32_t kept = kept_of(run.Id);
      if (!blocks->FormAt(kept).empty()) freq.AddKept(kept, run.Entries);
    }
  } else {
    const std::vector<TRunGroup> groups =
        GroupRunsOfTexts(runs, text_of, /*fold_case=*/true, letter_case,
                         [&](uint32_t id) { return blocks->FormAt(kept_of(id)); });
    freq.Reserve(groups.size());
    for (const TRunGroup& group : groups) {
      const uint32_t id = runs[group.Run].Id;
      const std::u16string_view shown = text(id);
      if (Trim(shown).size() == shown.size()) {
        freq.AddKept(kept_of(id), group.Entries);
      } else {
        freq.Add(Trim(shown), group.Entries);
      }
    }
  }
  SortByCount(freq);
  return freq;
}

}  // namespace farrowdale
