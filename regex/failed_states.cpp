#include "regex/failed_states.h"

#include <algorithm>

#include "regex/error_text.h"

namespace farrowdale::regex {
namespace {

constexpr size_t kFirstSlots = size_t{1} << 12;

size_t Hash(uint64_t key, uint64_t loop_key) {
  uint64_t h = (key ^ (loop_key * 0x9E3779B97F4A7C15ull)) * 0xFF51AFD7ED558CCDull;
  return static_cast<size_t>(h ^ (h >> 29));
}

}  // namespace

void FailedStates::Clear() {
  if (used_ == 0) return;
  std::fill(table_.begin(), table_.end(), Entry{});
  used_ = 0;
}

void FailedStates::Release() {
  std::vector<Entry>().swap(table_);
  used_ = 0;
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

uint64_t FailedStates::KeyOf(int32_t node, int32_t pos) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(node)) << 32 |
          static_cast<uint32_t>(pos) >> 6) +
         1;
}

int32_t FailedStates::HighestAbsent(int32_t node, int32_t highest, int32_t lowest,
                                    uint64_t loop_key) const {
  if (table_.empty()) return highest;
  for (int32_t pos = highest; pos >= lowest;) {
    const Entry* e = Slot(KeyOf(node, pos), loop_key);
    // Cursors of this entry from max(lowest, its first) to pos.
    const int32_t first = std::max(lowest, pos & ~63);
    const int top = pos & 63;
    const int bottom = first & 63;
    const uint64_t range = (top == 63 ? ~uint64_t{0} : (uint64_t{1} << (top + 1)) - 1) &
                           ~((uint64_t{1} << bottom) - 1);
    const uint64_t absent = ~e->bits & range;  // a free slot has no bits
    if (absent != 0) return (pos & ~63) + 63 - __builtin_clzll(absent);
    pos = first - 1;
  }
  return lowest - 1;
}

bool FailedStates::Insert(int32_t node, int32_t pos, uint64_t loop_key) {
  // Kept at most half full, so probes stay short.
  if (2 * (used_ + 1) > table_.size()) {
    if (used_ >= kMaxEntries) throw MakePatternError(kErrSearchTooComplex, 0);
    Grow();
  }
  const uint64_t key = KeyOf(node, pos);
  Entry* e = Slot(key, loop_key);
  if (e->key == 0) {
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
