#include "count/passage_table.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <stdexcept>

namespace farrowdale {
namespace {

size_t HashOf(std::string_view stored) { return std::hash<std::string_view>()(stored); }

}  // namespace

uint32_t TPassageTable::Intern(std::u16string_view text) {
  if (!interning_) throw std::logic_error("TPassageTable: a text interned after StopInterning");
  scratch_.clear();
  AppendKeptForm(text, scratch_);
  const size_t hash = HashOf(scratch_);
  if (!slots_.empty()) {
    const uint32_t slot = slots_[FindSlot(scratch_, hash)];
    if (slot != 0) return slot - 1;
  }
  if (texts_.size() >= std::numeric_limits<uint32_t>::max() - 1) {
    throw std::length_error("more distinct passages than the run can number");
  }
  const auto id = static_cast<uint32_t>(texts_.size());
  texts_.push_back(blocks_->KeepForm(scratch_));
  // At most three quarters of the slots in use keeps the probes short.
  if (4 * texts_.size() > 3 * slots_.size()) {
    Rehash();
  } else {
    slots_[FindSlot(scratch_, hash)] = id + 1;
  }
  return id;
}

void TPassageTable::StopInterning() {
  interning_ = false;
  std::vector<uint32_t>().swap(slots_);
  std::string().swap(scratch_);
}

size_t TPassageTable::FindSlot(std::string_view stored, size_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const uint32_t at = slots_[slot];
    if (at == 0 || Stored(at - 1) == stored) return slot;
  }
}

void TPassageTable::Rehash() {
  const size_t slot_count = std::max<size_t>(64, 2 * slots_.size());
  std::vector<uint32_t>().swap(slots_);
  slots_.assign(slot_count, 0);
  const size_t mask = slot_count - 1;
  for (uint32_t id = 0; id < texts_.size(); ++id) {
    // Every text is different: the first free slot is its own, with no text to compare.
    size_t slot = HashOf(Stored(id)) & mask;
    while (slots_[slot] != 0) slot = (slot + 1) & mask;
    slots_[slot] = id + 1;
  }
}

}  // namespace farrowdale
