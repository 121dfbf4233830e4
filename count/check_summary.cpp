#include "count/check_summary.h"

#include <algorithm>
#include <array>

#include "text/code_page.h"

namespace farrowdale {

namespace {

// Characters of a narrow text as a terminal lines them up: UTF-8 continuation bytes take no
// column of their own.
size_t Width(const std::string& text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

std::string PaddedRight(const std::string& text, size_t width) {
  return text + std::string(width - std::min(width, Width(text)), ' ');
}

std::string PaddedLeft(const std::string& text, size_t width) {
  return std::string(width - std::min(width, Width(text)), ' ') + text;
}

}  // namespace

const char* CheckKindName(ECheckKind kind) {
  switch (kind) {
    case ECheckKind::kTagSet:
      return "tag set";
    case ECheckKind::kFile:
      return "reading";
    case ECheckKind::kOpenBeforeNext:
      return "open before next begin";
    case ECheckKind::kNoEnd:
      return "no end marker";
    case ECheckKind::kStrayEnd:
      return "stray end marker";
    case ECheckKind::kNested:
      return "nesting";
    case ECheckKind::kEmptyPassage:
      return "empty passage";
    case ECheckKind::kCutShort:
      return "cut short by another element";
    case ECheckKind::kMarkerSearch:
      return "marker search";
  }
  return "";
}

std::string GroupedNumber(int64_t number) {
  std::string digits = std::to_string(number);
  const size_t first = digits[0] == '-' ? 1 : 0;
  for (size_t at = digits.size(); at > first + 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

std::string ProblemPlace(const TCheckProblem& problem) {
  return PathToNarrow(problem.path) + ":" + std::to_string(problem.line) + ":" +
         std::to_string(problem.column);
}

std::string GroupTag(const TCheckGroup& group) { return group.tag.empty() ? "-" : group.tag; }

std::string FormatUnlistedLine(const TCheckGroup& group) {
  if (group.listed >= group.count) return {};
  std::string line =
      ToNarrow(u"\u2026") + " and " + GroupedNumber(group.count - group.listed) + " more: ";
  if (!group.tag.empty()) line += "tag \"" + group.tag + "\", ";
  return line + CheckKindName(group.kind) + " (use --all)";
}

std::vector<std::string> FormatCheckTable(const std::vector<TCheckGroup>& groups) {
  if (groups.empty()) return {};
  using TRow = std::array<std::string, 5>;
  std::vector<TRow> rows = {{"tag", "kind", "problems", "files", "first at"}};
  for (const TCheckGroup& group : groups) {
    rows.push_back({GroupTag(group), CheckKindName(group.kind), GroupedNumber(group.count),
                    group.kind == ECheckKind::kTagSet ? "-" : GroupedNumber(group.files),
                    ProblemPlace(group.first)});
  }
  std::array<size_t, 4> widths{};
  for (const TRow& row : rows) {
    for (size_t column = 0; column < widths.size(); ++column) {
      widths[column] = std::max(widths[column], Width(row[column]));
    }
  }
  std::vector<std::string> lines;
  for (const TRow& row : rows) {
    lines.push_back(PaddedRight(row[0], widths[0]) + "  " + PaddedRight(row[1], widths[1]) + "  " +
                    PaddedLeft(row[2], widths[2]) + "  " + PaddedLeft(row[3], widths[3]) + "  " +
                    row[4]);
  }
  return lines;
}

std::string SharedEndNoteMessage(const TSharedEndNote& note) {
  const bool one = note.count == 1;
  return "tag \"" + note.tag + "\": " + GroupedNumber(note.count) + " \"" + note.end_marker +
         "\" " + (one ? "closes another <" : "close other <") + note.element +
         (one ? "> element" : "> elements") + "; not counted as problems";
}

std::string FormatSharedEndNote(const TSharedEndNote& note) {
  return PathToNarrow(note.tag_set_path) + ":" + std::to_string(note.line) +
         ":1: note: " + SharedEndNoteMessage(note);
}

}  // namespace farrowdale
