// TIniFile: the private-profile rules of the desktop platform, applied to a file read whole
// on every call, or to the bytes of one reading held since ReadOnce.
//
// Reading the file:
// - The file is read as bytes. Without a byte-order mark the bytes are narrow text already
//   (system code page) and are used as they are. A UTF-16 LE mark (FF FE) makes the rest
//   UTF-16 LE, converted to narrow text. A UTF-8 mark (EF BB BF) makes the rest UTF-8,
//   converted to narrow text: the platform itself would take the mark as part of line 1, but
//   editors write it, so the project accepts it. A UTF-16 BE mark (FE FF) is not understood
//   by the platform and nothing of such a file can be read; we keep that.
// - The text ends at its first zero character: a zero byte cannot stand in the zero-separated
//   name lists, and no editor writes one into a tag set on purpose.
// - A line ends at CR LF, a lone CR or a lone LF.
//
// Lines:
// - Space, tab and VT before the first character of a line are ignored; blank lines too.
// - "[" first: a section header. The name runs to the first "]" (or the line's end when
//   there is none) and is trimmed of space, tab and VT; text after the "]" is ignored.
// - ";" first: a comment, never a key.
// - Otherwise, inside a section, a line with "=" is a key: the key is the text before the
//   first "=", the value the text after it, both trimmed of space, tab and VT. A line
//   without "=" is no key. Lines before the first header belong to no section.
//
// Lookups:
// - Section and key names are matched ignoring letter case (both cases of a letter of the
//   code page; ASCII only in a multi-byte code page). The name asked for is trimmed of
//   spaces only.
// - Of two sections with the same name only the first is seen by a lookup; the section list
//   shows both. Of two equal keys in a section the first wins for lookups; the key list shows
//   both.
// - A value loses one pair of enclosing quotes (both ' or both ", at least two characters),
//   then is cut to 2047 bytes (the 2048-byte value buffer).
// - The section-name list and a section's key list pass through a 16384-byte buffer of
//   zero-terminated names: the names that fit are kept, the next is cut short (to what fits
//   of it), the rest are lost.
// - An empty section name ("[]") is listed like any other name.
// - Anything cut in a UTF-8 code page is cut before an incomplete character; a name cut to
//   nothing is lost.
#include "tagset/ini_file.h"

#include <string_view>

#include "text/code_page.h"
#include "text/regular_file.h"
#include "text/unicode_string_list.h"
#include "text/utf8.h"

namespace farrowdale {
namespace {

constexpr size_t kListBufferSize = 16384;
constexpr size_t kValueBufferSize = 2048;

struct IniEntry {
  std::string key;
  std::string value;  // trimmed, quotes still on
  int line = 0;
  size_t value_offset = 0;  // where value starts in the line's text
  std::string_view line_text;
};

struct IniSection {
  std::string name;
  std::vector<IniEntry> entries;
  int line = 0;
};

bool IsIniSpace(char c) { return c == ' ' || c == '\t' || c == '\v'; }

std::string_view TrimIniSpaces(std::string_view text) {
  while (!text.empty() && IsIniSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsIniSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view TrimSpacesOnly(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Cuts text to at most max_bytes; in a UTF-8 code page never inside a character.
void CutNarrow(std::string& text, size_t max_bytes) {
  if (text.size() <= max_bytes) return;
  size_t end = max_bytes;
  if (SystemCodePageKind() == ECodePageKind::kUtf8) {
    // Step back over continuation bytes to the start of the character that was cut.
    size_t start = end;
    while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
    end = start;
  }
  text.resize(end);
}

// The file's bytes; empty for no path (no tag set chosen). Only a regular file is read: a
// missing file, a folder or a pipe of that name throws the file-open Error, so that a
// mistyped path is never taken for an empty tag set.
std::string ReadBytes(const std::filesystem::path& path) {
  if (path.empty()) return {};
  std::string bytes;
  TRegularFile(path).ReadChunks([&bytes](std::string_view chunk) { bytes.append(chunk); });
  return bytes;
}

// The file's bytes as narrow text; empty for a UTF-16 BE file.
std::string NarrowTextOf(std::string_view bytes) {
  size_t bom_length = 0;
  std::string text;
  switch (DetectTextEncoding(bytes, &bom_length)) {
    case TextEncoding::SystemCodePage:
      text = bytes;
      break;
    case TextEncoding::Utf16Le: {
      std::u16string wide((bytes.size() - bom_length) / 2, u'\0');
      for (size_t i = 0; i < wide.size(); ++i) {
        wide[i] =
            static_cast<char16_t>(static_cast<unsigned char>(bytes[bom_length + 2 * i]) |
                                  static_cast<unsigned char>(bytes[bom_length + 2 * i + 1]) << 8);
      }
      text = ToNarrow(wide);
      break;
    }
    case TextEncoding::Utf8:
      text = ToNarrow(Utf8ToUtf16(bytes.substr(bom_length)));
      break;
    case TextEncoding::Utf16Be:
      return {};
  }
  if (const size_t zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
  return text;
}

// The entries keep views of text's lines: text must outlive them.
std::vector<IniSection> ParseIni(std::string_view text) {
  std::vector<IniSection> sections;
  size_t pos = 0;
  int line_number = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view whole_line = text.substr(pos, end - pos);
    std::string_view line = whole_line;
    ++line_number;
    pos = end + 1;
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++pos;
    while (!line.empty() && IsIniSpace(line.front())) line.remove_prefix(1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      line.remove_prefix(1);
      line = line.substr(0, line.find(']'));
      sections.push_back({std::string(TrimIniSpaces(line)), {}, line_number});
      continue;
    }
    const size_t equals = line.find('=');
    if (sections.empty() || equals == std::string_view::npos) continue;
    const std::string_view value = TrimIniSpaces(line.substr(equals + 1));
    sections.back().entries.push_back(
        {std::string(TrimIniSpaces(line.substr(0, equals))), std::string(value), line_number,
         static_cast<size_t>(value.data() - whole_line.data()), whole_line});
  }
  return sections;
}

// The names as the platform's zero-separated list buffer hands them over.
std::vector<std::string> FitListBuffer(std::vector<std::string> names) {
  size_t full_length = 1;  // the list's closing zero
  for (const std::string& name : names) full_length += name.size() + 1;
  if (full_length < kListBufferSize) return names;
  // The buffer keeps the first kListBufferSize - 2 characters of the list.
  size_t room = kListBufferSize - 2;
  std::vector<std::string> kept;
  for (std::string& name : names) {
    if (room == 0) break;
    if (name.size() + 1 <= room) {
      room -= name.size() + 1;
      kept.push_back(std::move(name));
    } else {
      CutNarrow(name, room);
      if (!name.empty()) kept.push_back(std::move(name));
      break;
    }
  }
  return kept;
}

const IniSection* FindSection(const std::vector<IniSection>& sections, std::string_view name) {
  name = TrimSpacesOnly(name);
  for (const IniSection& section : sections) {
    if (SameIniName(section.name, name)) return &section;
  }
  return nullptr;
}

// An entry's value without one pair of enclosing quotes.
std::string_view Unquoted(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// The value a lookup of key returns: the first equal key's value, one pair of enclosing
// quotes removed, cut to the value buffer; empty for a missing key.
std::string LookUpValue(const IniSection& section, std::string_view key) {
  key = TrimSpacesOnly(key);
  for (const IniEntry& entry : section.entries) {
    if (!SameIniName(entry.key, key)) continue;
    std::string result(Unquoted(entry.value));
    CutNarrow(result, kValueBufferSize - 1);
    return result;
  }
  return {};
}

std::vector<std::string> SectionValues(const std::vector<IniSection>& sections,
                                       std::string_view name) {
  const IniSection* found = FindSection(sections, name);
  if (found == nullptr) return {};
  std::vector<std::string> keys;
  for (const IniEntry& entry : found->entries) keys.push_back(entry.key);
  std::vector<std::string> pairs;
  for (const std::string& key : FitListBuffer(std::move(keys))) {
    pairs.push_back(key + "=" + LookUpValue(*found, key));
  }
  return pairs;
}

std::vector<std::string> SectionNames(const std::vector<IniSection>& sections) {
  std::vector<std::string> names;
  for (const IniSection& section : sections) names.push_back(section.name);
  return FitListBuffer(std::move(names));
}

}  // namespace

bool SameIniName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[i]);
    if (ca != cb && SwapCase(ca) != cb) return false;
  }
  return true;
}

TIniFile TIniFile::ReadOnce(std::filesystem::path path) {
  TReading reading;
  try {
    reading.bytes = ReadBytes(path);
  } catch (const Error& error) {
    reading.error = error;
  }
  TIniFile ini(std::move(path));
  ini.reading_ = std::make_shared<const TReading>(std::move(reading));
  return ini;
}

const std::string* TIniFile::HeldBytes() const {
  return reading_ && !reading_->error && !path_.empty() ? &reading_->bytes : nullptr;
}

std::string TIniFile::NarrowText() const {
  if (!reading_) return NarrowTextOf(ReadBytes(path_));
  if (reading_->error) throw *reading_->error;
  return NarrowTextOf(reading_->bytes);
}

std::vector<std::string> TIniFile::ReadSections() const {
  return SectionNames(ParseIni(NarrowText()));
}

std::vector<std::string> TIniFile::ReadSectionValues(const std::string& section) const {
  return SectionValues(ParseIni(NarrowText()), section);
}

std::vector<std::pair<std::string, std::vector<std::string>>> TIniFile::ReadAllSectionValues()
    const {
  const std::vector<IniSection> sections = ParseIni(NarrowText());
  std::vector<std::pair<std::string, std::vector<std::string>>> all;
  for (std::string& name : SectionNames(sections)) {
    std::vector<std::string> values = SectionValues(sections, name);
    all.emplace_back(std::move(name), std::move(values));
  }
  return all;
}

std::vector<TIniSectionPlace> TIniFile::ReadPlaces() const {
  const std::string text = NarrowText();
  std::vector<TIniSectionPlace> places;
  for (const IniSection& section : ParseIni(text)) {
    TIniSectionPlace& place = places.emplace_back();
    place.name = section.name;
    place.line = section.line;
    for (const IniEntry& entry : section.entries) {
      const std::string_view value = Unquoted(entry.value);
      const size_t value_start = entry.value_offset + (value.size() < entry.value.size() ? 1 : 0);
      place.keys.push_back({entry.key, std::string(value), entry.line,
                            std::string(entry.line_text.substr(0, value_start))});
    }
  }
  return places;
}

}  // namespace farrowdale
