// The recount over all files, in memory: passages stay whole, line breaks and all, so a
// passage over several lines counts once, as it does in its own file.
#include "count/pooled_count.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "count/distinct_passages.h"

namespace farrowdale {
namespace {

void AppendNumber(uint64_t number, std::deque<uint8_t>& out) {
  while (number >= 0x80) {
    out.push_back(static_cast<uint8_t>(0x80 | (number & 0x7F)));
    number >>= 7;
  }
  out.push_back(static_cast<uint8_t>(number));
}

template <typename Iterator>
uint64_t ReadNumber(Iterator& at) {
  uint64_t number = 0;
  int shift = 0;
  while (*at & 0x80) {
    number |= static_cast<uint64_t>(*at++ & 0x7F) << shift;
    shift += 7;
  }
  return number | (static_cast<uint64_t>(*at++) << shift);
}

}  // namespace

void TPooledPassages::AddRun(TTagRuns& pooled, uint32_t place, int32_t entries) {
  const int64_t step = int64_t{place} - int64_t{pooled.last_place};
  const uint64_t zigzag = (static_cast<uint64_t>(step) << 1) ^ static_cast<uint64_t>(step >> 63);
  AppendNumber(2 * zigzag + (entries > 1 ? 1 : 0), pooled.runs);
  if (entries > 1) AppendNumber(static_cast<uint64_t>(entries), pooled.runs);
  pooled.last_place = place;
}

template <typename Visit>
void TPooledPassages::ForEachRun(const TTagRuns& pooled, Visit visit) {
  uint32_t place = 0;
  for (auto at = pooled.runs.begin(); at != pooled.runs.end();) {
    const auto start = static_cast<size_t>(at - pooled.runs.begin());
    const uint64_t head = ReadNumber(at);
    const uint64_t zigzag = head >> 1;
    const auto step = static_cast<int64_t>((zigzag >> 1) ^ (~(zigzag & 1) + 1));
    place = static_cast<uint32_t>(int64_t{place} + step);
    visit(place, (head & 1) != 0 ? static_cast<int32_t>(ReadNumber(at)) : 1, start);
  }
}

void TPooledPassages::AddFile(TStatArray& file) {
  if (counted_) throw std::logic_error("TPooledPassages: a file added after CountTotals");
  if (files_ == 0) {
    tags_.resize(file.size());
    empty_place_ = table_.blocks()->KeepForm({});
  }
  if (file.size() != tags_.size()) throw std::invalid_argument("files with different tag counts");
  ++files_;
  constexpr int64_t kNotKept = -1;
  std::vector<int64_t> places;
  for (size_t tag = 0; tag < file.size(); ++tag) {
    TFilePassages passages = std::move(file[tag].Passages);
    file[tag].Passages = {};
    TTagRuns& pooled = tags_[tag];
    pooled.freq += file[tag].Freq;
    // Texts are interned in the order of the runs, so that new ones are kept in that order.
    places.assign(passages.Texts.size(), kNotKept);
    for (const TPassageRun& run : passages.Runs) {
      if (places[run.Id] == kNotKept) {
        places[run.Id] = table_.Kept(table_.Intern(passages.Texts[run.Id]));
      }
      AddRun(pooled, static_cast<uint32_t>(places[run.Id]), run.Entries);
    }
    pooled.file_ends.push_back(pooled.runs.size());
  }
}

void TPooledPassages::CountTotals() {
  if (counted_) return;
  table_.StopInterning();
  totals_.reserve(tags_.size());
  for (size_t tag = 0; tag < tags_.size(); ++tag) {
    totals_.push_back(CountTag(std::move(tags_[tag])));
    tags_[tag] = TTagRuns();
  }
  table_ = TPassageTable();
  counted_ = true;
}

const TTagTotals& TPooledPassages::Totals(size_t tag) const {
  if (!counted_) throw std::logic_error("TPooledPassages: totals read before CountTotals");
  return totals_[tag];
}

TTagTotals TPooledPassages::CountTag(TTagRuns pooled) const {
  // One entry per distinct passage of the tag, named by its place, with its occurrences, and
  // one for the empty entries: every file's list ends with one, after an empty entry of its
  // own when it had passages.
  size_t run_count = 0;
  ForEachRun(pooled, [&run_count](uint32_t, int32_t, size_t) { ++run_count; });
  int32_t empties = 0;
  size_t first = 0;
  for (const size_t end : pooled.file_ends) {
    empties += end > first ? 2 : 1;
    first = end;
  }
  // The empty text was kept first of all, so that the entries come in place order.
  std::vector<TKeptCount> entries;
  entries.reserve(run_count + 1);
  entries.push_back({empty_place_, empties});
  ForEachRun(pooled, [&entries](uint32_t place, int32_t count, size_t) {
    entries.push_back({place, count});
  });
  // In place order already when no file met a passage of an earlier one.
  const auto by_place = [](const TKeptCount& a, const TKeptCount& b) { return a.Place < b.Place; };
  if (!std::is_sorted(entries.begin(), entries.end(), by_place)) {
    std::sort(entries.begin(), entries.end(), by_place);
    size_t kept = 0;
    for (size_t at = 1; at < entries.size(); ++at) {
      if (entries[at].Place == entries[kept].Place) {
        entries[kept].Count += entries[at].Count;
      } else {
        entries[++kept] = entries[at];
      }
    }
    entries.resize(kept + 1);
    entries.shrink_to_fit();
  }
  const TTextBlocks& blocks = *table_.blocks();
  const bool texts_tie = SortLikeTheList(
      entries, [&blocks](uint32_t place) { return blocks.FormAt(place); },
      [&] {
        std::vector<uint32_t> list;
        size_t file = 0;
        // Ends the list of every file whose runs end by byte upto.
        const auto end_files = [&](size_t upto) {
          for (; file < pooled.file_ends.size() && pooled.file_ends[file] <= upto; ++file) {
            const bool had_runs =
                pooled.file_ends[file] > (file == 0 ? 0 : pooled.file_ends[file - 1]);
            list.insert(list.end(), had_runs ? 2 : 1, empty_place_);
          }
        };
        ForEachRun(pooled, [&](uint32_t place, int32_t count, size_t start) {
          end_files(start);
          list.insert(list.end(), count, place);
        });
        end_files(pooled.runs.size());
        return list;
      });
  const int64_t freq = pooled.freq;
  pooled = TTagRuns();
  return {freq, GroupKeptPassageRuns(std::move(entries), table_.blocks(), texts_tie, letter_case_)};
}

}  // namespace farrowdale
