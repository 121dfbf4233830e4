// TUnicodeStringList: entries, joining and splitting lines, name=value access and the sort.
#include "text/unicode_string_list.h"

#include <string>
#include <utility>

#include "text/collation.h"
#include "text/error.h"
#include "text/line_splitter.h"
#include "text/list_quicksort.h"

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
  ListQuicksort(
      EntryCount(), [&](int first, int second) { return compare(*this, first, second); },
      [&](int first, int second) { std::swap(entries_[first], entries_[second]); });
}

}  // namespace farrowdale
