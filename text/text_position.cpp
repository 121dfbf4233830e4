#include "text/text_position.h"

#include <algorithm>

#include "text/code_page.h"

namespace farrowdale {
namespace {

bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The longest code point of any code page in bytes; context windows are cut in bytes this
// generously, and a few spare characters absorb a character cut in two at the window's edge.
constexpr size_t kMaxBytesPerCharacter = 4;
constexpr size_t kSpareCharacters = 3;

// The units of the last `count` code points of text (all of it when it holds fewer).
std::u16string LastCodePoints(std::u16string_view text, size_t count) {
  size_t begin = text.size();
  for (size_t taken = 0; taken < count && begin > 0; ++taken) {
    --begin;
    if (begin > 0 && IsLowSurrogate(text[begin])) --begin;
  }
  return std::u16string(text.substr(begin));
}

// The units of the first `count` code points of text (all of it when it holds fewer).
std::u16string FirstCodePoints(std::u16string_view text, size_t count) {
  size_t end = 0;
  for (size_t taken = 0; taken < count && end < text.size(); ++taken) {
    ++end;
    if (end < text.size() && IsLowSurrogate(text[end])) ++end;
  }
  return std::u16string(text.substr(0, end));
}

}  // namespace

TTextPositionCursor::TTextPositionCursor(std::string_view narrow_text) : text_(narrow_text) {}

void TTextPositionCursor::IndexLines() {
  incremental_ = SystemCodePageKind() != ECodePageKind::kOtherMultiByte;
  line_starts_.push_back(0);
  for (size_t i = 0; i < text_.size(); ++i) {
    // CR LF is one line end: its CR is passed over and the LF ends the line.
    const char c = text_[i];
    if (c == '\n' || (c == '\r' && (i + 1 == text_.size() || text_[i + 1] != '\n'))) {
      line_starts_.push_back(i + 1);
    }
  }
}

TTextPosition TTextPositionCursor::PositionOf(size_t offset) {
  if (line_starts_.empty()) IndexLines();
  const size_t line_index =
      static_cast<size_t>(std::upper_bound(line_starts_.begin(), line_starts_.end(), offset) -
                          line_starts_.begin()) -
      1;
  if (!incremental_ || line_index != line_index_ || offset < offset_) {
    line_index_ = line_index;
    offset_ = line_starts_[line_index];
    column_ = 1;
  }
  column_ += CharacterCount(text_.substr(offset_, offset - offset_));
  offset_ = offset;
  return TTextPosition{static_cast<int32_t>(line_index_ + 1), static_cast<int32_t>(column_)};
}

TPassageContext ContextAround(std::string_view narrow_text, size_t start, size_t length,
                              int characters) {
  const size_t wanted = static_cast<size_t>(std::max(characters, 0));
  const size_t window = (wanted + kSpareCharacters) * kMaxBytesPerCharacter;
  const size_t before_start = start > window ? start - window : 0;
  const size_t end = start + length;
  TPassageContext context;
  context.before =
      LastCodePoints(ToUnicode(narrow_text.substr(before_start, start - before_start)), wanted);
  context.after = FirstCodePoints(ToUnicode(narrow_text.substr(end, window)), wanted);
  return context;
}

}  // namespace farrowdale
