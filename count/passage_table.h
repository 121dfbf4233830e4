// TPassageTable: the distinct passages of a whole run, each stored once and named by a dense
// id, so that the one-file mode keeps per file and tag only ids and counts.
//
// Texts are kept in TTextBlocks (text/text_blocks.h), which frequency lists may share, so
// that the run's totals name the table's texts instead of copying them; the index holds
// where each text is kept (about 1.25 bytes a text: texts are kept one after another, so the
// place of every 16th one and the size of each are enough) and an open-addressed table of
// ids, both of which StopInterning frees. Not thread-safe; ids stay valid until StopInterning, kept
// texts for the blocks' lifetime.
#ifndef FARROWDALE_COUNT_PASSAGE_TABLE_H_
#define FARROWDALE_COUNT_PASSAGE_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/mapped_bytes.h"
#include "text/text_blocks.h"

namespace farrowdale {

class TPassageTable {
 public:
  // The id of text: the one it was given when first added, or the next free one (0, 1, ...).
  // Throws std::length_error when every 32-bit id is taken.
  uint32_t Intern(std::u16string_view text);
  // The text an id names. REQUIRES: id < size(), and each of these before StopInterning.
  std::u16string Text(uint32_t id) const { return blocks_->TextAt(Kept(id)); }
  // The kept form (text/text_blocks.h) of the text an id names. REQUIRES: id < size().
  std::string_view Form(uint32_t id) const { return blocks_->FormAt(Kept(id)); }
  // Where the text an id names is kept in blocks(). REQUIRES: id < size().
  uint32_t Kept(uint32_t id) const;
  size_t size() const { return size_; }
  // The blocks every text is kept in.
  const std::shared_ptr<TTextBlocks>& blocks() const { return blocks_; }

  // No text is interned any more: the index is freed, and only the blocks stay.
  void StopInterning();

 private:
  // Where text's stored form with this hash is, or would go, in slots_.
  size_t FindSlot(std::string_view stored, size_t hash) const;
  // Twice the slots (at least 64), every id placed again.
  void Rehash();

  // The slot's value for the text with this id and hash.
  uint32_t SlotValue(uint32_t id, size_t hash) const;

  // Notes where the next id's text, of form_bytes, is kept.
  void AddPlace(uint32_t place, size_t form_bytes);

  // Where each id's text is kept: the place of every kGroup-th id's text, the bytes each
  // id's text takes in blocks_ when the next id's text is kept right after it (else kFar),
  // and the places of the texts after a kFar, by id (but for the first of a group).
  static constexpr uint32_t kGroup = 16;
  static constexpr uint8_t kFar = 0xFF;
  std::deque<uint32_t> group_places_;
  std::deque<uint8_t> kept_bytes_;
  std::vector<std::pair<uint32_t, uint32_t>> far_places_;
  uint32_t last_place_ = 0;  // the last text's place and the bytes it takes
  size_t last_bytes_ = 0;
  size_t size_ = 0;
  // A power of two of them, or none; 0 when free, else the id of a text + 1 in the low
  // id_bits_ bits (ids stay below three quarters of the slots) and, in the bits left, the top
  // bits of the text's hash, so that most probes need not read a text. 4 bytes a slot.
  std::span<uint32_t> slots_;
  TMappedBytes slot_bytes_;  // the memory of slots_
  int id_bits_ = 0;
  std::shared_ptr<TTextBlocks> blocks_ = std::make_shared<TTextBlocks>();
  bool interning_ = true;
  std::string scratch_;  // the stored form of the text being interned
};

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_PASSAGE_TABLE_H_
