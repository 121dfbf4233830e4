#include "tagset/tag_set_writer.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>

#include "tagset/tag_set.h"
#include "text/atomic_file.h"
#include "text/code_page.h"
#include "text/error.h"
#include "text/utf8.h"

namespace farrowdale {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kManagedKeys[] = {"begin", "end", "color"};

bool IsIniSpace(char c) { return c == ' ' || c == '\t' || c == '\v'; }

std::string_view TrimIniSpaces(std::string_view text) {
  while (!text.empty() && IsIniSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsIniSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool SameAsciiName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The lines of text without their line ends (CR LF, CR or LF, as the reader splits them).
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
      ++end;
    }
    start = end + 1;
  }
  return lines;
}

// The section a header line opens, trimmed; nullopt for any other line.
std::optional<std::string_view> HeaderName(std::string_view line) {
  line = TrimIniSpaces(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const size_t close = line.find(']');
  return TrimIniSpaces(line.substr(1, close == std::string_view::npos ? close : close - 1));
}

// The managed key a line sets, if any.
std::optional<std::string_view> ManagedKey(std::string_view line) {
  line = TrimIniSpaces(line);
  if (line.empty() || line.front() == ';') return std::nullopt;
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view key = TrimIniSpaces(line.substr(0, equals));
  for (std::string_view managed : kManagedKeys) {
    if (SameAsciiName(key, managed)) return managed;
  }
  return std::nullopt;
}

// A value as a line holds it so that the reader gives it back: the reader drops one pair of
// enclosing quotes, so a value that has such a pair is put inside another.
std::string WrittenValue(const std::string& value) {
  const bool enclosed = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
  return enclosed ? "\"" + value + "\"" : value;
}

void CheckWritable(const TTagEntry& tag) {
  const auto fail = [&tag](const std::string& why) {
    throw Error("The tag \"" + tag.name + "\" cannot be saved: " + why);
  };
  const auto padded = [](std::string_view text) {
    return !text.empty() && (static_cast<unsigned char>(text.front()) <= ' ' ||
                             static_cast<unsigned char>(text.back()) <= ' ');
  };
  if (tag.name.find_first_of("]\r\n") != std::string::npos) {
    fail("a name cannot hold \"]\" or a line break");
  }
  for (const std::string* text : {&tag.name, &tag.begin, &tag.end, &tag.color}) {
    if (text->find_first_of("\r\n") != std::string::npos || text->find('\0') != std::string::npos) {
      fail("its settings cannot hold a line break");
    }
    if (padded(*text)) fail("spaces at the start or end of \"" + *text + "\" would be lost");
  }
}

// The body of each section of the old text, and the lines before the first section.
struct TOldFile {
  std::vector<std::string_view> preamble;
  std::vector<std::pair<std::string_view, std::vector<std::string_view>>> sections;
  // The body of the occurrence-th section (from 0) called name; null when there are fewer.
  const std::vector<std::string_view>* Body(std::string_view name, size_t occurrence) const {
    for (const auto& [section, body] : sections) {
      if (SameAsciiName(section, name) && occurrence-- == 0) return &body;
    }
    return nullptr;
  }
};

TOldFile ParseOld(std::string_view text) {
  TOldFile old;
  std::vector<std::string_view>* into = &old.preamble;
  for (std::string_view line : Lines(text)) {
    if (const auto name = HeaderName(line)) {
      into = &old.sections.emplace_back(*name, std::vector<std::string_view>{}).second;
    } else {
      into->push_back(line);
    }
  }
  return old;
}

}  // namespace

std::string TagSetIniText(const std::vector<TTagEntry>& tags, std::string_view old_text) {
  const TOldFile old = ParseOld(old_text);
  std::string text;
  const auto add_line = [&text](std::string_view line) {
    text.append(line);
    text += "\r\n";
  };
  for (std::string_view line : old.preamble) add_line(line);
  for (size_t index = 0; index < tags.size(); ++index) {
    const TTagEntry& tag = tags[index];
    CheckWritable(tag);
    add_line("[" + tag.name + "]");
    size_t occurrence = 0;
    for (size_t before = 0; before < index; ++before) {
      if (SameAsciiName(tags[before].name, tag.name)) ++occurrence;
    }
    const std::vector<std::string_view>* body = old.Body(tag.name, occurrence);
    // A separator's section is the file's own: a run skips it, so all of it is kept as is.
    if (IsSeparatorName(tag.name)) {
      if (body != nullptr) {
        for (std::string_view line : *body) add_line(line);
      }
      continue;
    }
    const std::string values[] = {tag.begin, tag.end, tag.color};
    bool written[] = {false, false, false};
    const auto managed_index = [](std::string_view key) {
      for (size_t i = 0; i < std::size(kManagedKeys); ++i) {
        if (kManagedKeys[i] == key) return i;
      }
      return std::size(kManagedKeys);
    };
    std::vector<std::string_view> trailing_blank;
    if (body != nullptr) {
      for (std::string_view line : *body) {
        // Blank lines at a section's end stay at its end, after any key added there.
        if (TrimIniSpaces(line).empty()) {
          trailing_blank.push_back(line);
          continue;
        }
        for (std::string_view blank : trailing_blank) add_line(blank);
        trailing_blank.clear();
        const auto key = ManagedKey(line);
        if (!key) {
          add_line(line);
          continue;
        }
        // The first line of a key is what the reader uses: it takes the new value; later
        // ones are left out, so that the file says one thing.
        const size_t i = managed_index(*key);
        if (!written[i]) add_line(std::string(kManagedKeys[i]) + "=" + WrittenValue(values[i]));
        written[i] = true;
      }
    }
    for (size_t i = 0; i < std::size(kManagedKeys); ++i) {
      if (!written[i]) add_line(std::string(kManagedKeys[i]) + "=" + WrittenValue(values[i]));
    }
    for (std::string_view blank : trailing_blank) add_line(blank);
  }
  return text;
}

void SaveTagSet(const std::filesystem::path& path, const std::vector<TTagEntry>& tags) {
  std::string old_text;
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec)) {
    std::ifstream in(path, std::ios::binary);
    old_text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // A UTF-8 file with a mark keeps its mark and its UTF-8; a UTF-16 file (which editors
  // rarely write for a tag set) is written anew in the code page, its comments not kept.
  std::string mark;
  if (old_text.starts_with(kUtf8Mark)) {
    mark = std::string(kUtf8Mark);
    old_text = ToNarrow(Utf8ToUtf16(old_text.substr(kUtf8Mark.size())));
  } else if (old_text.starts_with("\xFF\xFE") || old_text.starts_with("\xFE\xFF")) {
    old_text.clear();
  }
  std::string text = TagSetIniText(tags, old_text);
  if (!mark.empty()) text = mark + Utf16ToUtf8(ToUnicode(text), '?');
  WriteFileAtomically(path, text);
}

}  // namespace farrowdale
