// TUnicodeStringList: entries, joining and splitting lines, name=value access and the sort.
#include "text/unicode_string_list.h"

#include <string>
#include <utility>

#include "text/collation.h"
#include "text/error.h"
#include "text/line_splitter.h"

namespace farrowdale {

int TUnicodeStringList::EntryCount() const { return static_cast<int>(entries_.size()); }

const std::u16string& TUnicodeStringList::EntryAt(int position) const {
  if (position < 0 || position >= EntryCount()) {
    throw Error("List index out of bounds (" + std::to_string(position) + ")");
  }
  return entries_[position];
}

int TUnicodeStringList::AddEntry(std::u16string entry) {
  entries_.push_back(std::move(entry));
  return EntryCount() - 1;
}

void TUnicodeStringList::ClearEntries() { entries_.clear(); }

std::u16string TUnicodeStringList::JoinedText() const {
  size_t length = 0;
  for (const std::u16string& entry : entries_) length += entry.size() + 2;
  std::u16string text;
  text.reserve(length);
  for (const std::u16string& entry : entries_) {
    text.append(entry);
    text.append(u"\r\n", 2);
  }
  return text;
}

void TUnicodeStringList::AssignText(std::u16string_view text) {
  entries_.clear();
  LineSplitter splitter(&entries_);
  splitter.Feed(text);
  splitter.Finish();
}

std::u16string TUnicodeStringList::EntryName(int position) const {
  const std::u16string& entry = EntryAt(position);
  const size_t separator = entry.find(PairSeparator());
  return separator == std::u16string::npos ? std::u16string() : entry.substr(0, separator);
}

std::u16string TUnicodeStringList::EntryValue(int position) const {
  if (position < 0) return std::u16string();
  const std::u16string& entry = EntryAt(position);
  // An entry without the separator has no value (rather than losing its first character).
  const size_t separator = entry.find(PairSeparator());
  return separator == std::u16string::npos ? std::u16string() : entry.substr(separator + 1);
}

void TUnicodeStringList::SortByText() {
  SortWith([](const TUnicodeStringList& list, int first, int second) {
    return CompareText(list.entries_[first], list.entries_[second], list.match_case_);
  });
}

void TUnicodeStringList::SortWith(const Comparison& compare) {
  if (EntryCount() < 2) return;
  // The quicksort below is followed step by step, since tie orders depend on its exact
  // sequence of comparisons and exchanges. The left part is sorted before the right one, as
  // by recursion, but through an explicit stack so that no input can exhaust the call stack.
  // The scans stop at the range's ends, which only a comparison that contradicts itself could
  // pass.
  std::vector<std::pair<int, int>> pending;
  pending.emplace_back(0, EntryCount() - 1);
  while (!pending.empty()) {
    auto [left, right] = pending.back();
    pending.pop_back();
    int i = left;
    int j = right;
    int pivot = left + (right - left) / 2;
    do {
      while (i < right && compare(*this, i, pivot) < 0) ++i;
      while (j > left && compare(*this, j, pivot) > 0) --j;
      if (i <= j) {
        std::swap(entries_[i], entries_[j]);
        if (pivot == i) {
          pivot = j;
        } else if (pivot == j) {
          pivot = i;
        }
        ++i;
        --j;
      }
    } while (i <= j);
    // The right part [i, right] waits below the left part [left, j], which runs first.
    if (i < right) pending.emplace_back(i, right);
    if (left < j) pending.emplace_back(left, j);
  }
}

}  // namespace farrowdale
