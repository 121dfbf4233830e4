// The states a search has already seen fail: (node, cursor, loop key) triples, where the loop
// key stands for whatever of the active counted loops can still change the outcome.
//
// Without back-references the outcome of running the program on from a state depends on the
// state alone, so a state entered a second time in one search (from any start position) can
// only fail again: the matcher skips it. That bounds a search by program size x subject
// length x loop keys. The set holds 64 cursors per entry in an open-addressing table, so a
// run of failed cursors costs a bit each; it is allocated only when a search turns on the
// memo, and a search that would need more than kMaxEntries stops with error 1018.
#ifndef FARROWDALE_REGEX_FAILED_STATES_H_
#define FARROWDALE_REGEX_FAILED_STATES_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace farrowdale::regex {

class FailedStates {
 public:
  // 2 Mi entries of 24 bytes in a table at most twice as large: 96 MiB at most.
  static constexpr size_t kMaxEntries = size_t{1} << 21;

  // Forgets every state (keeps the table's memory for the next search).
  void Clear();
  // Adds the state; false when it was already there. Throws error 1018 beyond kMaxEntries.
  bool Insert(int32_t node, int32_t pos, uint64_t loop_key);
  // The highest cursor in [lowest, highest] whose state is not in the set, or lowest - 1.
  int32_t HighestAbsent(int32_t node, int32_t highest, int32_t lowest, uint64_t loop_key) const;
  size_t EntryCount() const { return used_; }
  // Frees the table.
  void Release();

 private:
  struct Entry {
    uint64_t key;  // node << 32 | cursor / 64 (+1, so that 0 marks a free slot)
    uint64_t loop_key;
    uint64_t bits;  // the cursors of the 64 that are in the set
  };
  void Grow();
  Entry* Slot(uint64_t key, uint64_t loop_key);
  const Entry* Slot(uint64_t key, uint64_t loop_key) const {
    return const_cast<FailedStates*>(this)->Slot(key, loop_key);
  }
  static uint64_t KeyOf(int32_t node, int32_t pos);

  std::vector<Entry> table_;
  size_t used_ = 0;
};

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_FAILED_STATES_H_
