// The states a search has already seen fail: (memo row, cursor, loop key) triples, where the
// row stands for a program point (regex/memo_points.h) and the loop key for whatever of the
// active counted loops can still change the outcome.
//
// Without back-references the outcome of running the program on from a state depends on the
// state alone, so a state entered a second time in one search (from any start position) can
// only fail again: the matcher skips it. That bounds a search by memo rows x subject length x
// loop keys, and no search is refused for its size.
//
// States outside counted loops (loop key 0) are one bit each in a bit set over (row, cursor):
// a row has a bit per cursor of the subject, in pages of 64 Ki cursors (8 KiB) allocated
// when a state in them is first added, so a search pays for the part of the subject it
// tried, at most rows x (subject length + 1) / 8 bytes. Inside counted loops the key tells
// apart states the bits cannot, so those go to a side table of 64 cursors per entry keyed by
// (row, cursor / 64, loop key); beyond kMaxKeyedEntries it stops taking new states, which
// only means they may be tried again (the answer stays exact, the bound is lost there).
#ifndef FARROWDALE_REGEX_FAILED_STATES_H_
#define FARROWDALE_REGEX_FAILED_STATES_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace farrowdale::regex {

class FailedStates {
 public:
  static constexpr int kPageShift = 16;  // cursors per page: 1 << kPageShift
  // 2 Mi entries of 24 bytes in a table at most twice as large: 96 MiB at most.
  static constexpr size_t kMaxKeyedEntries = size_t{1} << 21;

  // Starts remembering for one search with `rows` memo rows over cursors 0..length; forgets
  // every state. Allocates only the page table.
  void Start(int rows, int32_t length);
  // Adds the state; false when it was already there.
  bool Insert(int row, int32_t pos, uint64_t loop_key);
  // The highest cursor in [lowest, highest] whose state is not in the set, or lowest - 1.
  int32_t HighestAbsent(int row, int32_t highest, int32_t lowest, uint64_t loop_key) const;
  // Bytes held by the pages and the side table.
  size_t BytesHeld() const;
  // Forgets every state and frees the memory.
  void Release();

 private:
  static constexpr int kPageWords = (1 << kPageShift) / 64;
  struct Entry {
    uint64_t key;  // row << 32 | cursor / 64 (+1, so that 0 marks a free slot)
    uint64_t loop_key;
    uint64_t bits;  // the cursors of the 64 that are in the set
  };
  // The word holding the cursor's bit, or nullptr when its page was never written.
  const uint64_t* WordOf(int row, int32_t pos) const;
  bool InsertKeyed(int row, int32_t pos, uint64_t loop_key);
  int32_t HighestAbsentKeyed(int row, int32_t highest, int32_t lowest, uint64_t loop_key) const;
  void Grow();
  Entry* Slot(uint64_t key, uint64_t loop_key);
  const Entry* Slot(uint64_t key, uint64_t loop_key) const {
    return const_cast<FailedStates*>(this)->Slot(key, loop_key);
  }
  static uint64_t KeyOf(int row, int32_t pos);

  size_t pages_per_row_ = 0;
  std::vector<std::unique_ptr<uint64_t[]>> pages_;  // row * pages_per_row_ + cursor's page
  size_t pages_held_ = 0;
  std::vector<Entry> table_;
  size_t used_ = 0;
};

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_FAILED_STATES_H_
