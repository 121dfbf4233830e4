// TUnicodeStringList: an ordered list of UTF-16 strings that reads text files with
// byte-order-mark detection, writes UTF-16 LE files, joins and splits lines, splits
// name=value entries and sorts with an exact, reproducible quicksort (report tie orders
// depend on its exact sequence of comparisons and exchanges).
#ifndef FARROWDALE_TEXT_UNICODE_STRING_LIST_H_
#define FARROWDALE_TEXT_UNICODE_STRING_LIST_H_

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "text/text_read_warning.h"

namespace farrowdale {

enum class TextEncoding { SystemCodePage, Utf16Le, Utf16Be, Utf8 };

class TUnicodeStringList {
 public:
  // Negative, zero or positive as the entry at the first position comes before, ties with or
  // comes after the entry at the second. Must not change the list.
  using Comparison = std::function<int(const TUnicodeStringList&, int, int)>;

  int EntryCount() const;
  // Throws Error "List index out of bounds (%d)" for a position outside the list.
  const std::u16string& EntryAt(int position) const;
  int AddEntry(std::u16string entry);
  void ClearEntries();

  // Every entry followed by CR LF.
  std::u16string JoinedText() const;
  // Replaces the entries by the lines of text: CR, LF and CR LF end a line; U+0000 ends the
  // text; a final line end gives no empty last entry.
  void AssignText(std::u16string_view text);

  // Replaces the entries by the lines of the file and returns what the user should be told
  // about its reading (text_decoding.h). Only a regular file is read (regular_file.h); throws
  // the file-open Error and leaves the list unchanged when the file cannot be read.
  TextReadWarnings ReadTextFile(const std::filesystem::path& path);
  // Replaces the entries by the lines of a file's bytes, decoded as ReadTextFile decodes
  // them; never touches the disk.
  TextReadWarnings LoadFromBytes(std::string_view bytes);
  // Creates or replaces the file atomically (atomic_file.h): FF FE, then JoinedText as
  // UTF-16 LE. Throws the file-create Error.
  void WriteTextFile(const std::filesystem::path& path) const;

  // The part of the entry before its first PairSeparator, and the part after it; both are
  // empty for an entry without the separator, and EntryValue is empty for a negative position.
  std::u16string EntryName(int position) const;
  std::u16string EntryValue(int position) const;
  char16_t PairSeparator() const { return u'='; }

  bool MatchCase() const { return match_case_; }
  void SetMatchCase(bool match_case) { match_case_ = match_case; }

  // Both sort with the list's quicksort (list_quicksort.h), whose tie order is output.
  void SortByText();
  void SortWith(const Comparison& compare);

 private:
  std::vector<std::u16string> entries_;
  bool match_case_ = false;
};

// The encoding a file's first bytes announce; *bom_length receives the mark's length.
TextEncoding DetectTextEncoding(std::string_view bytes, size_t* bom_length);
// A whole file's bytes as text, decoded as ReadTextFile decodes them (text_decoding.h), and
// ended at the first U+0000. Ill-formed UTF-8 after a UTF-8 mark
// decodes with U+FFFD in place of each ill-formed part; a character beyond U+FFFF becomes a
// surrogate pair.
std::u16string DecodeTextFileBytes(std::string_view bytes);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_UNICODE_STRING_LIST_H_
