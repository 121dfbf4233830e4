// TPassageTable: the distinct passages of a whole run, each stored once and named by a dense
// id, so that the one-file mode keeps per file and tag only ids and counts.
//
// Texts are stored back to back in large blocks, in a UTF-8 form that also carries lone
// surrogates (one byte per ASCII character, at most three per UTF-16 code unit), each after
// its length; the index holds one pointer per text and an open-addressed table of ids.
// Not thread-safe; the table owns every text, and ids stay valid for its lifetime.
#ifndef FARROWDALE_COUNT_PASSAGE_TABLE_H_
#define FARROWDALE_COUNT_PASSAGE_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace farrowdale {

class TPassageTable {
 public:
  // The id of text: the one it was given when first added, or the next free one (0, 1, ...).
  // Throws std::length_error when every 32-bit id is taken.
  uint32_t Intern(std::u16string_view text);
  // The text an id names. REQUIRES: id < size().
  std::u16string Text(uint32_t id) const;
  size_t size() const { return texts_.size(); }

 private:
  // The stored form of the text an id names.
  std::string_view Stored(uint32_t id) const;
  // Where text's stored form with this hash is, or would go, in slots_.
  size_t FindSlot(std::string_view stored, size_t hash) const;
  // Copies the stored form (after its length) into the blocks; returns where it starts.
  const char* Keep(std::string_view stored);
  // Twice the slots (at least 64), every id placed again.
  void Rehash();

  struct TSlot {
    uint32_t id = 0;
    uint32_t tag = 0;  // part of the text's hash; 0 for a free slot
  };

  std::deque<const char*> texts_;  // by id: the text's length, then its stored form
  std::vector<TSlot> slots_;       // a power of two of them, or none
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* block_next_ = nullptr;  // the free end of the block being filled
  size_t block_free_ = 0;       // and its size
  std::string scratch_;         // the stored form of the text being interned
};

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_PASSAGE_TABLE_H_
