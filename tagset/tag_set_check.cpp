// CheckTagSet: the tag set as a run reads it (LoadTagSet, the lookups), set against where
// every section and key stands in the file (TIniFile::ReadPlaces), so that what the reader
// ignores, merges or cuts shows as a difference between the two.
#include "tagset/tag_set_check.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "regex/pattern_syntax.h"
#include "text/code_page.h"
#include "text/collation.h"

namespace farrowdale {
namespace {

constexpr std::array<std::u16string_view, 3> kTagKeys = {u"begin", u"end", u"color"};

bool IsTagKey(std::string_view key, std::u16string_view wanted) {
  return CompareText(ToUnicode(key), wanted, false) == 0;
}

bool IsAnyTagKey(std::string_view key) {
  return std::any_of(kTagKeys.begin(), kTagKeys.end(),
                     [&](std::u16string_view wanted) { return IsTagKey(key, wanted); });
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The tag key an unknown key was probably meant to be ("begn", "Begin:", "colour").
std::optional<std::string_view> IntendedTagKey(std::string_view key) {
  std::string letters;
  for (char c : key) {
    if (std::isalpha(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 0x80) {
      letters += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  if (letters.size() < 2) return std::nullopt;
  std::optional<std::string_view> best;
  size_t best_distance = 3;
  for (std::string_view candidate : {"begin", "end", "color"}) {
    const size_t distance = EditDistance(letters, candidate);
    if (distance < best_distance) {
      best = candidate;
      best_distance = distance;
    }
  }
  return best;
}

std::string EscapeMeaningOf(char c) {
  switch (c) {
    case 'A':
      return "'\\A' matches only at the start of the text";
    case 'Z':
      return "'\\Z' matches only at the end of the text";
    case 'b':
    case 'B':
      return std::string("'\\") + c + "' matches at the edge of a word, not a character";
    case 'd':
    case 'D':
    case 's':
    case 'S':
    case 'w':
    case 'W':
      return std::string("'\\") + c + "' stands for a whole class of characters";
    case 'x':
      return "'\\x' starts a character code";
    default:
      if (c >= '1' && c <= '9') {
        return std::string("'\\") + c + "' repeats the text of group " + c;
      }
      return std::string("'\\") + c + "' stands for a control character";
  }
}

// A marker read as the run's pattern reads it: the first character with a pattern meaning,
// the marker written so that it matches as written, and the text it was meant to match.
struct TMarkerReading {
  std::optional<size_t> first_meaning;  // byte offset in the marker
  std::string meaning;
  std::string escaped;
  std::string literal;
};

TMarkerReading ReadMarker(std::string_view marker, bool parentheses_literal) {
  TMarkerReading reading;
  auto note = [&](size_t at, std::string meaning) {
    if (reading.first_meaning) return;
    reading.first_meaning = at;
    reading.meaning = std::move(meaning);
  };
  size_t group_end = 0;  // a modifier group's parentheses keep their meaning up to here
  for (size_t i = 0; i < marker.size(); ++i) {
    const char c = marker[i];
    if (parentheses_literal && i >= group_end) {
      group_end = std::max(group_end, i + ModifierGroupLength(marker, i));
    }
    if (c == '\\' && i + 1 < marker.size()) {
      const char next = marker[++i];
      if (IsPatternEscapeLetter(next)) {
        note(i - 1, EscapeMeaningOf(next));
        reading.escaped += "\\\\";
      } else {
        reading.escaped += '\\';
      }
      reading.escaped += next;
      if (IsPatternEscapeLetter(next)) reading.literal += '\\';
      reading.literal += next;
      continue;
    }
    const bool exempt = parentheses_literal && i >= group_end && (c == '(' || c == ')');
    if (!exempt && IsPatternOperator(c)) {
      note(i, c == '\\' ? "a '\\' at the end escapes nothing" : PatternMeaningOf(c));
      reading.escaped += '\\';
    } else if (!exempt && (c == ']' || c == '}')) {
      reading.escaped += '\\';
    }
    reading.escaped += c;
    reading.literal += c;
  }
  return reading;
}

class TTagSetChecker {
 public:
  explicit TTagSetChecker(const TIniFile& ini)
      : ini_(ini), places_(ini.ReadPlaces()), read_(ini.ReadAllSectionValues()) {}

  TTagSetCheck Run() {
    for (const TIniSectionPlace& place : places_) result_.section_lines.push_back(place.line);
    LoadTagSet(ini_, result_.tags, [&](size_t index, const Error& error) {
      bad_colors_.emplace_back(index, error.what());
      const TTagInfo& tag = result_.tags[index];
      if (!result_.load_error) {
        result_.load_error = TagErrorMessage(tag, ini_.Path(), "color", tag.Color, error.what());
      }
    });
    CheckSectionList();
    const size_t read = std::min(result_.tags.size(), places_.size());
    std::vector<bool> merged(read, false);
    for (size_t i = 0; i < read; ++i) {
      const size_t source = SourceSection(i);
      result_.tag_lines.push_back(places_[source].line);
      if (IsSkippedTag(result_.tags[i])) continue;
      if (source != i) {
        merged[i] = true;
        ReportMergedSection(i, source);
        continue;
      }
      CheckKeys(places_[i], read_[i].second);
      CheckTag(i);
    }
    CheckSameMarkers(merged);
    if (std::none_of(result_.tags.begin(), result_.tags.end(),
                     [](const TTagInfo& tag) { return !IsSkippedTag(tag); })) {
      Report(1, 1, ECheckSeverity::kWarning, "no tags: the file has no section with markers");
    }
    std::stable_sort(result_.problems.begin(), result_.problems.end(),
                     [](const TTagSetProblem& a, const TTagSetProblem& b) {
                       return a.line != b.line ? a.line < b.line : a.column < b.column;
                     });
    return std::move(result_);
  }

 private:
  void Report(int line, int column, ECheckSeverity severity, std::string message) {
    result_.problems.push_back({line, column, severity, std::move(message)});
  }

  // The first section a lookup by section i's name finds (i itself unless a section before
  // it has the same name in another letter case).
  size_t SourceSection(size_t i) const {
    for (size_t j = 0; j < i; ++j) {
      if (SameIniName(places_[j].name, places_[i].name)) return j;
    }
    return i;
  }

  // Sections the 16384-byte section list cuts short or leaves out.
  void CheckSectionList() {
    for (size_t i = 0; i < places_.size(); ++i) {
      const TIniSectionPlace& place = places_[i];
      if (i >= read_.size()) {
        Report(place.line, 1, ECheckSeverity::kWarning,
               "section [" + place.name +
                   "] lies beyond the 16384-byte limit of the section "
                   "list and is not read");
      } else if (read_[i].first != place.name) {
        Report(place.line, 1, ECheckSeverity::kWarning,
               "section name [" + place.name + "] is cut to [" + read_[i].first +
                   "] by the 16384-byte limit of the section list");
      }
    }
  }

  void ReportMergedSection(size_t i, size_t source) {
    const TIniSectionPlace& place = places_[i];
    const TIniSectionPlace& first = places_[source];
    const std::string how =
        place.name == first.name ? "repeats" : "differs only in letter case from";
    Report(place.line, 1, ECheckSeverity::kWarning,
           "section [" + place.name + "] " + how + " [" + first.name + "] at line " +
               std::to_string(first.line) +
               ": the reader takes both as one, so this tag uses "
               "that section's markers and its own keys are ignored");
  }

  // Keys no tag reads, repeated keys, and keys the key list or the value buffer cuts.
  // pairs: the section's keys as the reader gives them ("key=value").
  void CheckKeys(const TIniSectionPlace& place, const std::vector<std::string>& pairs) {
    for (size_t k = 0; k < place.keys.size(); ++k) {
      const TIniKeyPlace& key = place.keys[k];
      if (k >= pairs.size()) {
        Report(key.line, 1, ECheckSeverity::kWarning,
               "key " + Quoted(key.key) +
                   " lies beyond the 16384-byte limit of the section's key list and is not read");
        continue;
      }
      const auto earlier =
          std::find_if(place.keys.begin(), place.keys.begin() + k,
                       [&](const TIniKeyPlace& other) { return SameIniName(other.key, key.key); });
      if (earlier != place.keys.begin() + k) {
        Report(key.line, 1, ECheckSeverity::kWarning,
               "key " + Quoted(key.key) + " repeats the one at line " +
                   std::to_string(earlier->line) + "; only that one is read");
        continue;
      }
      const std::string_view read_value = std::string_view(pairs[k]).substr(pairs[k].find('=') + 1);
      if (read_value.size() < key.value.size()) {
        Report(key.line, 1, ECheckSeverity::kWarning,
               "value of " + Quoted(key.key) + " is cut to " + std::to_string(read_value.size()) +
                   " bytes by the reader's 2047-byte limit");
      }
      if (IsAnyTagKey(key.key)) continue;
      std::string message = "key " + Quoted(key.key) +
                            " is not read (a tag has only \"begin\", \"end\" and \"color\")";
      if (const auto intended = IntendedTagKey(key.key)) {
        message += "; did you mean " + Quoted(*intended) + "?";
      }
      Report(key.line, 1, ECheckSeverity::kWarning, std::move(message));
    }
  }

  // The first key of the section that the tag's lookup of wanted reads.
  const TIniKeyPlace* KeyPlace(const TIniSectionPlace& place, std::u16string_view wanted) const {
    for (const TIniKeyPlace& key : place.keys) {
      if (IsTagKey(key.key, wanted)) return &key;
    }
    return nullptr;
  }

  // " (line 2 has "begn"; did you mean "begin"?)" for the first key of the section that
  // looks like a slip for "begin"; empty when none does.
  static std::string MisspeltBeginHint(const TIniSectionPlace& place) {
    for (const TIniKeyPlace& key : place.keys) {
      if (IsAnyTagKey(key.key) || IntendedTagKey(key.key) != "begin") continue;
      return " (line " + std::to_string(key.line) + " has " + Quoted(key.key) +
             "; did you mean \"begin\"?)";
    }
    return "";
  }

  void CheckTag(size_t i) {
    const TTagInfo& tag = result_.tags[i];
    const TIniSectionPlace& place = places_[i];
    const std::string name = Quoted(tag.Name);
    if (tag.BeginMark.empty() && !tag.EndMark.empty()) {
      const std::string hint = MisspeltBeginHint(place);
      Report(
          place.line, 1, ECheckSeverity::kError,
          "tag " + name + " has an end marker but no begin marker, and a run stops on it" + hint);
      if (!result_.run_stop) {
        result_.run_stop = "Tag " + name + " in " + PathToNarrow(ini_.Path()) +
                           " has an end marker but no begin marker" + hint;
      }
    } else if (tag.BeginMark.empty()) {
      Report(place.line, 1, ECheckSeverity::kWarning,
             "tag " + name + " has no begin marker (no \"begin\" key, or an empty value)");
    } else {
      CheckMarkerMeaning(*KeyPlace(place, u"begin"), tag.BeginMark, "begin",
                         tag.BeginMark.find('(') != std::string::npos);
    }
    if (tag.EndMark.empty()) {
      Report(place.line, 1, ECheckSeverity::kWarning,
             "tag " + name + " has no end marker (no \"end\" key, or an empty value)");
    } else {
      CheckMarkerMeaning(*KeyPlace(place, u"end"), tag.EndMark, "end", false);
    }
    CheckColor(i);
  }

  void CheckColor(size_t i) {
    const TTagInfo& tag = result_.tags[i];
    const TIniKeyPlace* key = KeyPlace(places_[i], u"color");
    const int line = key != nullptr ? key->line : places_[i].line;
    const int column = key != nullptr ? ValueColumn(*key, 0) : 1;
    const auto bad = std::find_if(bad_colors_.begin(), bad_colors_.end(),
                                  [&](const auto& entry) { return entry.first == i; });
    if (bad != bad_colors_.end()) {
      Report(line, column, ECheckSeverity::kError,
             "colour " + Quoted(tag.Color) + " of tag " + Quoted(tag.Name) +
                 " is not six hexadecimal digits (RRGGBB), and a run stops on it: " + bad->second);
    } else if (tag.Color.size() > 6) {
      // A run reads and writes the first six digits only; the check points at the rest.
      Report(line, key != nullptr ? ValueColumn(*key, 6) : column, ECheckSeverity::kWarning,
             "colour " + Quoted(tag.Color) + " of tag " + Quoted(tag.Name) + " has " +
                 std::to_string(CharacterCount(std::string_view(tag.Color).substr(6))) +
                 " characters after its six digits; they are ignored");
    }
  }

  // The column of byte offset `at` of the key's value as the reader returns it.
  static int ValueColumn(const TIniKeyPlace& key, size_t at) {
    return CharacterCount(key.text_before_value) +
           CharacterCount(std::string_view(key.value).substr(0, at)) + 1;
  }

  void CheckMarkerMeaning(const TIniKeyPlace& key, const std::string& marker, const char* role,
                          bool parentheses_literal) {
    const TMarkerReading reading = ReadMarker(marker, parentheses_literal);
    if (!reading.first_meaning) return;
    // The run trims the value; its offset in the value as written is where the trim began.
    const size_t lead = key.value.find(marker);
    Report(key.line,
           ValueColumn(key, (lead == std::string::npos ? 0 : lead) + *reading.first_meaning),
           ECheckSeverity::kWarning,
           std::string(role) + " marker " + Quoted(marker) + ": " + reading.meaning + "; write " +
               reading.escaped + " to match " + Quoted(reading.literal));
  }

  // Tags that search for exactly the same passages.
  void CheckSameMarkers(const std::vector<bool>& merged) {
    const TTagArray& tags = result_.tags;
    for (size_t i = 0; i < merged.size(); ++i) {
      if (merged[i] || IsSkippedTag(tags[i]) || tags[i].BeginMark.empty()) continue;
      for (size_t j = 0; j < i; ++j) {
        if (merged[j] || IsSkippedTag(tags[j])) continue;
        if (tags[j].BeginMark != tags[i].BeginMark || tags[j].EndMark != tags[i].EndMark) continue;
        Report(places_[i].line, 1, ECheckSeverity::kWarning,
               "tag " + Quoted(tags[i].Name) + " has the same markers as tag " +
                   Quoted(tags[j].Name) + " at line " + std::to_string(places_[j].line) +
                   "; both count the same passages");
        break;
      }
    }
  }

  const TIniFile& ini_;
  std::vector<TIniSectionPlace> places_;
  // The sections as the reader lists them, with their keys (what LoadTagSet reads).
  std::vector<std::pair<std::string, std::vector<std::string>>> read_;
  std::vector<std::pair<size_t, std::string>> bad_colors_;
  TTagSetCheck result_;
};

}  // namespace

std::string PatternMeaningOf(char c) {
  switch (c) {
    case '^':
      return "'^' matches only at the start of the text";
    case '$':
      return "'$' matches only at the end of the text";
    case '.':
      return "'.' matches any character";
    case '[':
      return "'[' starts a set of characters";
    case '(':
      return "'(' starts a group";
    case ')':
      return "')' ends a group";
    case '|':
      return "'|' splits the whole pattern into alternatives";
    case '?':
      return "'?' makes what stands before it optional";
    case '+':
      return "'+' repeats what stands before it";
    case '*':
      return "'*' repeats what stands before it, or nothing";
    case '\\':
      return "'\\' makes the next character an escape";
    case '{':
      return "'{' can start a repeat count such as {2}";
    default:
      return {};
  }
}

TTagSetCheck CheckTagSet(const TIniFile& ini) {
  try {
    return TTagSetChecker(ini).Run();
  } catch (const Error& error) {
    // Nothing else can be said of a file that cannot be read.
    TTagSetCheck unread;
    unread.load_error = error.what();
    unread.problems.push_back({1, 1, ECheckSeverity::kError,
                               std::string("the tag set file cannot be read: ") + error.what()});
    return unread;
  }
}

}  // namespace farrowdale
