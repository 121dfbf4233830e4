// The frequency list. The source list is sorted by the locale's collation, then runs of
// equal texts (trimmed, narrow, A-Z folded) are counted; the counts are then ordered by the
// list's quicksort, whose tie order is part of the output.
//
// Large inputs: the group keys are made once per entry, and the count sort reads each
// entry's count once. That sort runs the list's own quicksort on a stand-in list whose
// entries only carry an index, so it makes exactly the comparisons and exchanges (and raises
// the conversion error exactly where) sorting with CompareByFreq does.
#include "run/frequency_list.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "text/code_page.h"
#include "text/error.h"
#include "text/trim.h"

namespace farrowdale {
namespace {

// An entry's count as CompareByFreq reads it: the text after the first separator (all of it
// when there is none), narrow, as a decimal integer.
struct EntryCount {
  std::optional<int32_t> value;
  std::string text;  // the narrow text read, for the conversion error
};

std::optional<int32_t> ParseDecimal(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(value);
}

EntryCount ReadEntryCount(const std::u16string& entry, char16_t separator) {
  const size_t at = entry.find(separator);
  const std::u16string_view value = at == std::u16string::npos
                                        ? std::u16string_view(entry)
                                        : std::u16string_view(entry).substr(at + 1);
  EntryCount count;
  count.text = ToNarrow(value);
  count.value = ParseDecimal(count.text);
  return count;
}

int32_t CountOrThrow(const EntryCount& count) {
  if (!count.value) throw InvalidIntegerError(count.text);
  return *count.value;
}

// Second minus first, kept within 32 bits.
int32_t CountDifference(int32_t first, int32_t second) {
  const int64_t difference = int64_t{second} - first;
  return static_cast<int32_t>(std::clamp<int64_t>(difference, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// The key two neighbours are grouped by: trimmed, narrow, A-Z folded to a-z when fold_case.
std::string GroupKey(const std::u16string& entry, bool fold_case) {
  std::string key = ToNarrow(Trim(std::u16string_view(entry)));
  if (fold_case) {
    for (char& c : key) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return key;
}

std::u16string DecimalText(int value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

// freq.SortWith(CompareByFreq), with every count read once.
void SortByCount(TUnicodeStringList& freq) {
  const int size = freq.EntryCount();
  if (size < 2) return;
  std::vector<EntryCount> counts;
  counts.reserve(size);
  TUnicodeStringList stand_in;
  for (int i = 0; i < size; ++i) {
    counts.push_back(ReadEntryCount(freq.EntryAt(i), freq.PairSeparator()));
    stand_in.AddEntry(std::u16string{static_cast<char16_t>(i >> 16), static_cast<char16_t>(i)});
  }
  const auto index_at = [](const TUnicodeStringList& list, int position) {
    const std::u16string& entry = list.EntryAt(position);
    return (static_cast<int>(entry[0]) << 16) | entry[1];
  };
  stand_in.SortWith([&](const TUnicodeStringList& list, int first, int second) {
    const int32_t first_count = CountOrThrow(counts[index_at(list, first)]);
    const int32_t second_count = CountOrThrow(counts[index_at(list, second)]);
    return CountDifference(first_count, second_count);
  });
  std::vector<std::u16string> sorted;
  sorted.reserve(size);
  for (int i = 0; i < size; ++i) sorted.push_back(freq.EntryAt(index_at(stand_in, i)));
  freq.ClearEntries();
  for (std::u16string& entry : sorted) freq.AddEntry(std::move(entry));
}

}  // namespace

void CountDistinctTexts(TUnicodeStringList& source, TUnicodeStringList& freq,
                        std::string_view order, bool fold_case) {
  if (source.EntryCount() == 0) return;
  source.SetMatchCase(!fold_case);
  source.SortByText();
  // The empty entry closes the last group.
  source.AddEntry(u"");
  const int last = source.EntryCount() - 1;
  std::string current = GroupKey(source.EntryAt(0), fold_case);
  int group_start = 0;
  for (int i = 0; i < last; ++i) {
    std::string next = GroupKey(source.EntryAt(i + 1), fold_case);
    if (current != next) {
      if (!current.empty()) {
        std::u16string entry(Trim(std::u16string_view(source.EntryAt(i))));
        entry += freq.PairSeparator();
        entry += DecimalText(i + 1 - group_start);
        freq.AddEntry(std::move(entry));
      }
      group_start = i + 1;
    }
    current = std::move(next);
  }
  if (order == "ByFreq") {
    SortByCount(freq);
  } else {
    freq.SortByText();
  }
}

int32_t CompareByFreq(const TUnicodeStringList& list, int first, int second) {
  const int32_t first_count =
      CountOrThrow(ReadEntryCount(list.EntryAt(first), list.PairSeparator()));
  const int32_t second_count =
      CountOrThrow(ReadEntryCount(list.EntryAt(second), list.PairSeparator()));
  return CountDifference(first_count, second_count);
}

std::u16string FormatHitList(const TUnicodeStringList& list) {
  std::u16string hits;
  for (int i = 0; i < list.EntryCount(); ++i) {
    if (Trim(std::u16string_view(list.EntryAt(i))).empty()) continue;
    hits += list.EntryName(i);
    hits += u" (";
    hits += list.EntryValue(i);
    hits += u") <br>";
  }
  return hits;
}

}  // namespace farrowdale
