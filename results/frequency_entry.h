// A frequency list: the distinct passages of one tag with their counts, most frequent first.
// Data only; count/frequency_list.h groups and orders them, the reports render them.
//
// The list is compact, since a tag may have millions of distinct passages: each text is kept
// once in TTextBlocks (text/text_blocks.h), which the list may share with others (the
// one-file mode's totals all name the run's one copy of every distinct passage), and the
// list holds one place (32 bits) and one count per entry. An entry is read as a TFrequencyEntry,
// its text converted to UTF-16 when it is read: convert one at a time, never the whole list.
// Copies share the blocks, which only grow: add entries to one list of those that share them
// at a time, on one thread.
#ifndef FARROWDALE_RESULTS_FREQUENCY_ENTRY_H_
#define FARROWDALE_RESULTS_FREQUENCY_ENTRY_H_

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/text_blocks.h"

namespace farrowdale {

// One entry of a list as the list holds it: where its text is kept in the list's blocks and
// its count.
struct TKeptCount {
  uint32_t Place = 0;
  int32_t Count = 0;
};

// One entry of a list, as read.
struct TFrequencyEntry {
  std::u16string Text;  // the group's representative, trimmed, never empty
  int32_t Count = 0;    // the entries of its group, at least 1

  friend bool operator==(const TFrequencyEntry&, const TFrequencyEntry&) = default;
};

class TFrequencyList {
 public:
  // Reads the list's entries in order, each converted as it is read.
  class const_iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = TFrequencyEntry;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = TFrequencyEntry;
    const_iterator() = default;
    const_iterator(const TFrequencyList* list, size_t at) : list_(list), at_(at) {}
    TFrequencyEntry operator*() const { return (*list_)[at_]; }
    const_iterator& operator++() {
      ++at_;
      return *this;
    }
    const_iterator operator++(int) { return const_iterator(list_, at_++); }
    bool operator==(const const_iterator& other) const { return at_ == other.at_; }

   private:
    const TFrequencyList* list_ = nullptr;
    size_t at_ = 0;
  };

  TFrequencyList() = default;
  // Entries whose texts are kept in blocks (shared with whoever else keeps texts there).
  explicit TFrequencyList(std::shared_ptr<TTextBlocks> blocks) : blocks_(std::move(blocks)) {}
  // The entries given, in their order, their texts kept in blocks: the vector is taken over,
  // not copied.
  TFrequencyList(std::shared_ptr<TTextBlocks> blocks, std::vector<TKeptCount> entries)
      : blocks_(std::move(blocks)), entries_(std::move(entries)) {}
  TFrequencyList(std::initializer_list<TFrequencyEntry> entries) {
    for (const TFrequencyEntry& entry : entries) Add(entry.Text, entry.Count);
  }

  // Appends an entry, keeping a copy of its text in the list's blocks.
  void Add(std::u16string_view text, int32_t count) { AddKept(Blocks().Keep(text), count); }
  // Appends an entry whose text is already kept in the list's blocks, at this place.
  void AddKept(uint32_t place, int32_t count) { entries_.push_back({place, count}); }
  void Reserve(size_t entries) { entries_.reserve(entries); }

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  // REQUIRES: at < size() (for each of these).
  std::u16string Text(size_t at) const { return blocks_->TextAt(entries_[at].Place); }
  int32_t Count(size_t at) const { return entries_[at].Count; }
  // The text's kept form (text/text_blocks.h), for reading a long text piece by piece.
  std::string_view Form(size_t at) const { return blocks_->FormAt(entries_[at].Place); }
  TFrequencyEntry operator[](size_t at) const { return {Text(at), Count(at)}; }
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, size()); }

  // Exchanges two entries (for the sort by count).
  void SwapEntries(size_t first, size_t second) { std::swap(entries_[first], entries_[second]); }

  // Equal when the entries' texts and counts are, wherever the texts are kept.
  friend bool operator==(const TFrequencyList& a, const TFrequencyList& b) {
    if (a.size() != b.size()) return false;
    for (size_t at = 0; at < a.size(); ++at) {
      if (a.Count(at) != b.Count(at) ||
          a.blocks_->FormAt(a.entries_[at].Place) != b.blocks_->FormAt(b.entries_[at].Place)) {
        return false;
      }
    }
    return true;
  }

 private:
  TTextBlocks& Blocks() {
    if (!blocks_) blocks_ = std::make_shared<TTextBlocks>();
    return *blocks_;
  }

  std::shared_ptr<TTextBlocks> blocks_;  // made with the first text added, when not given
  std::vector<TKeptCount> entries_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_RESULTS_FREQUENCY_ENTRY_H_
