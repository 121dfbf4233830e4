// The recount over all files, in memory: passages stay whole, line breaks and all, so a
// passage over several lines counts once, as it does in its own file.
#include "count/pooled_count.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>

#include "count/distinct_passages.h"

namespace farrowdale {
namespace {

// Calls visit(id, entries) for each run held in runs[first, end), as TTagRuns holds them.
template <typename Visit>
void ForEachRun(const std::deque<uint32_t>& runs, size_t first, size_t end, uint32_t count_follows,
                Visit visit) {
  for (size_t at = first; at < end; ++at) {
    const uint32_t item = runs[at];
    if (item & count_follows) {
      visit(item & ~count_follows, static_cast<int32_t>(runs[++at]));
    } else {
      visit(item, 1);
    }
  }
}

}  // namespace

void TPooledPassages::AddFile(TStatArray& file) {
  if (counted_) throw std::logic_error("TPooledPassages: a file added after CountTotals");
  if (files_ == 0) tags_.resize(file.size());
  if (file.size() != tags_.size()) throw std::invalid_argument("files with different tag counts");
  ++files_;
  std::vector<uint32_t> ids;
  for (size_t tag = 0; tag < file.size(); ++tag) {
    TFilePassages passages = std::move(file[tag].Passages);
    file[tag].Passages = {};
    TTagRuns& pooled = tags_[tag];
    pooled.freq += file[tag].Freq;
    ids.clear();
    for (const std::u16string& text : passages.Texts) {
      ids.push_back(table_.Intern(text));
      if (ids.back() & kCountFollows) {
        throw std::length_error("more distinct passages than the run can number");
      }
    }
    for (const TPassageRun& run : passages.Runs) {
      if (run.Entries == 1) {
        pooled.runs.push_back(ids[run.Id]);
      } else {
        pooled.runs.push_back(ids[run.Id] | kCountFollows);
        pooled.runs.push_back(static_cast<uint32_t>(run.Entries));
      }
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
  // The tag's distinct passages, numbered here in the order of their ids in the table (4 bytes
  // each, where a hash map would cost a node apiece), and the empty entry last. The numbering
  // decides nothing: the sort below orders texts by collation alone.
  const int64_t freq = pooled.freq;
  const auto for_each_run = [&](size_t first, size_t end, auto visit) {
    ForEachRun(pooled.runs, first, end, kCountFollows, visit);
  };
  std::vector<uint32_t> table_ids;
  table_ids.reserve(pooled.runs.size());
  for_each_run(0, pooled.runs.size(), [&](uint32_t id, int32_t) { table_ids.push_back(id); });
  std::sort(table_ids.begin(), table_ids.end());
  table_ids.erase(std::unique(table_ids.begin(), table_ids.end()), table_ids.end());
  // When the tag has every text of the table (a run of one tag), the numbers are the ids.
  const bool every_text = table_ids.size() == table_.size();
  if (every_text) {
    std::vector<uint32_t>().swap(table_ids);
  } else {
    table_ids.shrink_to_fit();
  }
  const size_t distinct = every_text ? table_.size() : table_ids.size();
  const auto local_of = [&](uint32_t id) {
    if (every_text) return id;
    return static_cast<uint32_t>(std::lower_bound(table_ids.begin(), table_ids.end(), id) -
                                 table_ids.begin());
  };
  const auto id_of = [&](uint32_t local) { return every_text ? local : table_ids[local]; };
  std::vector<int32_t> occurrences(distinct + 1, 0);
  for_each_run(0, pooled.runs.size(),
               [&](uint32_t id, int32_t entries) { occurrences[local_of(id)] += entries; });
  const auto empty = static_cast<uint32_t>(distinct);
  // Each text is read from the table as it is needed: the tag's passages are never all held
  // as UTF-16 at once.
  const auto form_of = [&](uint32_t local) {
    return local == empty ? std::string_view() : table_.Form(id_of(local));
  };
  size_t begin = 0;
  for (const size_t end : pooled.file_ends) {
    occurrences[empty] += end > begin ? 2 : 1;
    begin = end;
  }
  bool texts_tie = false;
  const auto sequence = [&] {
    texts_tie = true;
    std::vector<uint32_t> entries;
    size_t first = 0;
    for (const size_t end : pooled.file_ends) {
      for_each_run(first, end, [&](uint32_t id, int32_t count) {
        entries.insert(entries.end(), count, local_of(id));
      });
      if (end > first) entries.push_back(empty);
      entries.push_back(empty);
      first = end;
    }
    return entries;
  };
  std::vector<TPassageRun> sorted = SortLikeTheList(form_of, occurrences, sequence);
  // The runs name the table's texts from here on, and what numbered them locally is freed, as
  // are the tag's runs of every file, before the frequency list is made.
  constexpr uint32_t kEmpty = std::numeric_limits<uint32_t>::max();
  for (TPassageRun& run : sorted) run.Id = run.Id == empty ? kEmpty : id_of(run.Id);
  std::vector<uint32_t>().swap(table_ids);
  std::vector<int32_t>().swap(occurrences);
  pooled = TTagRuns();
  const auto table_text_of = [&](uint32_t id, std::u16string& scratch) {
    if (id == kEmpty) return std::u16string_view();
    AppendFromKeptForm(table_.Form(id), scratch);
    return std::u16string_view(scratch);
  };
  // The empty entries' runs are read as an empty text kept once.
  const uint32_t empty_place = table_.blocks()->KeepForm({});
  return {freq, GroupKeptPassageRuns(
                    sorted, table_text_of,
                    [&](uint32_t id) { return id == kEmpty ? empty_place : table_.Kept(id); },
                    table_.blocks(), texts_tie, letter_case_)};
}

}  // namespace farrowdale
