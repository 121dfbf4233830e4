#include "count/passage_table.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <limits>
#include <stdexcept>

namespace farrowdale {
namespace {

size_t HashOf(std::string_view stored) { return std::hash<std::string_view>()(stored); }

// The bytes a kept form of this size takes in the blocks, its length included.
size_t KeptBytes(size_t form_size) {
  size_t bytes = form_size + 1;
  for (size_t length = form_size; length >= 0x80; length >>= 7) ++bytes;
  return bytes;
}

}  // namespace

uint32_t TPassageTable::Intern(std::u16string_view text) {
  if (!interning_) throw std::logic_error("TPassageTable: a text interned after StopInterning");
  scratch_.clear();
  AppendKeptForm(text, scratch_);
  const size_t hash = HashOf(scratch_);
  if (!slots_.empty()) {
    const uint32_t slot = slots_[FindSlot(scratch_, hash)];
    if (slot != 0) return (slot & static_cast<uint32_t>(slots_.size() - 1)) - 1;
  }
  if (size_ >= std::numeric_limits<uint32_t>::max() - 1) {
    throw std::length_error("more distinct passages than the run can number");
  }
  const auto id = static_cast<uint32_t>(size_);
  AddPlace(blocks_->KeepForm(scratch_), scratch_.size());
  // At most three quarters of the slots in use keeps the probes short.
  if (4 * size_ > 3 * slots_.size()) {
    Rehash();
  } else {
    slots_[FindSlot(scratch_, hash)] = SlotValue(id, hash);
  }
  return id;
}

void TPassageTable::StopInterning() {
  interning_ = false;
  slots_ = {};
  slot_bytes_ = TMappedBytes();
  std::deque<uint32_t>().swap(group_places_);
  std::deque<uint8_t>().swap(kept_bytes_);
  std::vector<std::pair<uint32_t, uint32_t>>().swap(far_places_);
  std::string().swap(scratch_);
}

void TPassageTable::AddPlace(uint32_t place, size_t form_bytes) {
  const size_t id = size_;
  if (id > 0) {
    const bool follows = last_bytes_ < kFar && place == last_place_ + last_bytes_;
    kept_bytes_.push_back(follows ? static_cast<uint8_t>(last_bytes_) : kFar);
    if (!follows && id % kGroup != 0) far_places_.emplace_back(static_cast<uint32_t>(id), place);
  }
  if (id % kGroup == 0) group_places_.push_back(place);
  last_place_ = place;
  last_bytes_ = KeptBytes(form_bytes);
  ++size_;
}

uint32_t TPassageTable::Kept(uint32_t id) const {
  if (id + 1 == size_) return last_place_;
  uint32_t place = group_places_[id / kGroup];
  for (uint32_t before = id - id % kGroup; before < id; ++before) {
    const uint8_t bytes = kept_bytes_[before];
    if (bytes != kFar) {
      place += bytes;
    } else {
      place = std::lower_bound(far_places_.begin(), far_places_.end(),
                               std::pair<uint32_t, uint32_t>(before + 1, 0))
                  ->second;
    }
  }
  return place;
}

size_t TPassageTable::FindSlot(std::string_view stored, size_t hash) const {
  const size_t mask = slots_.size() - 1;
  const auto id_mask = static_cast<uint32_t>(slots_.size() - 1);
  const uint32_t hash_part = SlotValue(0, hash) & ~id_mask;
  for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const uint32_t at = slots_[slot];
    if (at == 0) return slot;
    if ((at & ~id_mask) == hash_part && Form((at & id_mask) - 1) == stored) return slot;
  }
}

void TPassageTable::Rehash() {
  const size_t slot_count = std::max<size_t>(64, 2 * slots_.size());
  slots_ = {};
  slot_bytes_ = TMappedBytes();
  slot_bytes_ = TMappedBytes(slot_count * sizeof(uint32_t));  // every slot 0, free
  slots_ = std::span<uint32_t>(reinterpret_cast<uint32_t*>(slot_bytes_.data()), slot_count);
  id_bits_ = std::countr_zero(slot_count);
  const size_t mask = slot_count - 1;
  uint32_t place = 0;
  for (uint32_t id = 0; id < size_; ++id) {
    // The places are read one after another, as Kept reads them.
    if (id % kGroup == 0) {
      place = group_places_[id / kGroup];
    } else if (const uint8_t bytes = kept_bytes_[id - 1]; bytes != kFar) {
      place += bytes;
    } else {
      place = Kept(id);
    }
    // Every text is different: the first free slot is its own, with no text to compare.
    const size_t hash = HashOf(blocks_->FormAt(place));
    size_t slot = hash & mask;
    while (slots_[slot] != 0) slot = (slot + 1) & mask;
    slots_[slot] = SlotValue(id, hash);
  }
}

uint32_t TPassageTable::SlotValue(uint32_t id, size_t hash) const {
  const int hash_bits = 32 - id_bits_;
  if (hash_bits <= 0) return id + 1;
  const auto top = static_cast<uint32_t>(static_cast<uint64_t>(hash) >> (64 - hash_bits));
  return (top << id_bits_) | (id + 1);
}

}  // namespace farrowdale
