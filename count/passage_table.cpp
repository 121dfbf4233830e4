#include "count/passage_table.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <stdexcept>

namespace farrowdale {
namespace {

size_t HashOf(std::string_view stored) { return std::hash<std::string_view>()(stored); }

// The part of a hash a slot keeps, never 0, so that most probes need not read a text.
uint32_t TagOf(size_t hash) { return static_cast<uint32_t>(hash >> 32) | 1; }

}  // namespace

uint32_t TPassageTable::Intern(std::u16string_view text) {
  if (!interning_) throw std::logic_error("TPassageTable: a text interned after StopInterning");
  scratch_.clear();
  AppendKeptForm(text, scratch_);
  const size_t hash = HashOf(scratch_);
  if (!slots_.empty()) {
    const TSlot& slot = slots_[FindSlot(scratch_, hash)];
    if (slot.tag != 0) return slot.id;
  }
  if (texts_.size() >= std::numeric_limits<uint32_t>::max()) {
    throw std::length_error("more distinct passages than the run can number");
  }
  const auto id = static_cast<uint32_t>(texts_.size());
  texts_.push_back(blocks_->KeepForm(scratch_));
  // At most three quarters of the slots in use keeps the probes short.
  if (4 * texts_.size() > 3 * slots_.size()) {
    Rehash();
  } else {
    slots_[FindSlot(scratch_, hash)] = {id, TagOf(hash)};
  }
  return id;
}

void TPassageTable::StopInterning() {
  interning_ = false;
  std::vector<TSlot>().swap(slots_);
  std::string().swap(scratch_);
}

size_t TPassageTable::FindSlot(std::string_view stored, size_t hash) const {
  const size_t mask = slots_.size() - 1;
  const uint32_t tag = TagOf(hash);
  for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const TSlot& at = slots_[slot];
    if (at.tag == 0 || (at.tag == tag && Stored(at.id) == stored)) return slot;
  }
}

void TPassageTable::Rehash() {
  slots_.assign(std::max<size_t>(64, 2 * slots_.size()), TSlot{});
  for (uint32_t id = 0; id < texts_.size(); ++id) {
    const std::string_view stored = Stored(id);
    const size_t hash = HashOf(stored);
    slots_[FindSlot(stored, hash)] = {id, TagOf(hash)};
  }
}

}  // namespace farrowdale
