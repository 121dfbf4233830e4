#include "regex/failed_states.h"

#include <algorithm>

namespace farrowdale::regex {
namespace {

constexpr size_t kFirstSlots = size_t{1} << 12;

size_t Hash(uint64_t key, uint64_t loop_key) {
  uint64_t h = (key ^ (loop_key * 0x9E3779B97F4A7C15ull)) * 0xFF51AFD7ED558CCDull;
  return static_cast<size_t>(h ^ (h >> 29));
}

// The bits of a word from bit `bottom` to bit `top`, both included.
uint64_t BitRange(int bottom, int top) {
  return (top == 63 ? ~uint64_t{0} : (uint64_t{1} << (top + 1)) - 1) &
         ~((uint64_t{1} << bottom) - 1);
}

// The highest cursor in [lowest, highest] whose bit is clear, reading the words that hold
// them through word_of (nullptr: every bit clear); lowest - 1 when all are set.
template <typename WordOf>
int32_t HighestClear(int32_t highest, int32_t lowest, WordOf word_of) {
  for (int32_t pos = highest; pos >= lowest;) {
    const int32_t first = std::max(lowest, pos & ~63);
    const uint64_t* word = word_of(pos);
    const uint64_t clear =
        (word == nullptr ? ~uint64_t{0} : ~*word) & BitRange(first & 63, pos & 63);
    if (clear != 0) return (pos & ~63) + 63 - __builtin_clzll(clear);
    pos = first - 1;
  }
  return lowest - 1;
}

}  // namespace

void FailedStates::Start(int rows, int32_t length) {
  Release();
  pages_per_row_ = (static_cast<size_t>(length) >> kPageShift) + 1;
  pages_.resize(static_cast<size_t>(rows) * pages_per_row_);
}

void FailedStates::Release() {
  std::vector<std::unique_ptr<uint64_t[]>>().swap(pages_);
  pages_per_row_ = 0;
  pages_held_ = 0;
  std::vector<Entry>().swap(table_);
  used_ = 0;
}

size_t FailedStates::BytesHeld() const {
  return pages_held_ * kPageWords * sizeof(uint64_t) + table_.size() * sizeof(Entry);
}

const uint64_t* FailedStates::WordOf(int row, int32_t pos) const {
  const auto& page = pages_[static_cast<size_t>(row) * pages_per_row_ + (pos >> kPageShift)];
  return page ? &page[(pos >> 6) & (kPageWords - 1)] : nullptr;
}

bool FailedStates::Insert(int row, int32_t pos, uint64_t loop_key) {
  if (loop_key != 0) return InsertKeyed(row, pos, loop_key);
  auto& page = pages_[static_cast<size_t>(row) * pages_per_row_ + (pos >> kPageShift)];
  if (!page) {
    page = std::make_unique<uint64_t[]>(kPageWords);  // zeroed
    ++pages_held_;
  }
  uint64_t& word = page[(pos >> 6) & (kPageWords - 1)];
  const uint64_t bit = uint64_t{1} << (pos & 63);
  if (word & bit) return false;
  word |= bit;
  return true;
}

int32_t FailedStates::HighestAbsent(int row, int32_t highest, int32_t lowest,
                                    uint64_t loop_key) const {
  if (loop_key != 0) return HighestAbsentKeyed(row, highest, lowest, loop_key);
  if (pages_.empty()) return highest;
  return HighestClear(highest, lowest, [&](int32_t pos) { return WordOf(row, pos); });
}

FailedStates::Entry* FailedStates::Slot(uint64_t key, uint64_t loop_key) {
  const size_t mask = table_.size() - 1;
  for (size_t i = Hash(key, loop_key) & mask;; i = (i + 1) & mask) {
    Entry& e = table_[i];
    if (e.key == 0 || (e.key == key && e.loop_key == loop_key)) return &e;
  }
}

void FailedStates::Grow() {
  std::vector<Entry> old;
  old.swap(table_);
  table_.assign(std::max(kFirstSlots, old.size() * 2), Entry{});
  for (const Entry& e : old) {
    if (e.key != 0) *Slot(e.key, e.loop_key) = e;
  }
}

uint64_t FailedStates::KeyOf(int row, int32_t pos) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(row)) << 32 |
          static_cast<uint32_t>(pos) >> 6) +
         1;
}

int32_t FailedStates::HighestAbsentKeyed(int row, int32_t highest, int32_t lowest,
                                         uint64_t loop_key) const {
  if (table_.empty()) return highest;
  return HighestClear(highest, lowest, [&](int32_t pos) -> const uint64_t* {
    const Entry* e = Slot(KeyOf(row, pos), loop_key);
    return e->key == 0 ? nullptr : &e->bits;
  });
}

bool FailedStates::InsertKeyed(int row, int32_t pos, uint64_t loop_key) {
  // Kept at most half full, so probes stay short; once full, only entries already there
  // take new cursors, and a state without one counts as new (it may be tried again).
  const bool full = used_ >= kMaxKeyedEntries;
  if (!full && 2 * (used_ + 1) > table_.size()) Grow();
  const uint64_t key = KeyOf(row, pos);
  Entry* e = Slot(key, loop_key);
  if (e->key == 0) {
    if (full) return true;
    e->key = key;
    e->loop_key = loop_key;
    ++used_;
  }
  const uint64_t bit = uint64_t{1} << (pos & 63);
  if (e->bits & bit) return false;
  e->bits |= bit;
  return true;
}

}  // namespace farrowdale::regex
