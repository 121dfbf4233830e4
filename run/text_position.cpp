#include "run/text_position.h"

#include <algorithm>

#include "text/code_page.h"

namespace farrowdale {
namespace {

bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The longest code point of any code page in bytes; context windows are cut in bytes this
// generously, and a few spare characters absorb a character cut in two at the window's edge.
constexpr size_t kMaxBytesPerCharacter = 4;
constexpr size_t kSpareCharacters = 3;

// Code points of text, a surrogate pair counted once.
size_t CodePointCount(std::u16string_view text) {
  return static_cast<size_t>(
      std::count_if(text.begin(), text.end(), [](char16_t unit) { return !IsLowSurrogate(unit); }));
}

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

TTextPositionCursor::TTextPositionCursor(std::string_view narrow_text) : text_(narrow_text) {
  if (!SystemCodePageIsMultiByte()) {
    width_ = ECharacterWidth::OneByte;
  } else if (SystemCodePageName() == "UTF-8") {
    width_ = ECharacterWidth::Utf8;
  } else {
    width_ = ECharacterWidth::Decoded;
  }
}

int64_t TTextPositionCursor::CountCharacters(std::string_view piece) const {
  switch (width_) {
    case ECharacterWidth::OneByte:
      return static_cast<int64_t>(piece.size());
    case ECharacterWidth::Utf8:
      // Every byte but a continuation byte (10xxxxxx) starts a character.
      return std::count_if(piece.begin(), piece.end(), [](char byte) {
        return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
      });
    case ECharacterWidth::Decoded:
      break;
  }
  return static_cast<int64_t>(CodePointCount(ToUnicode(piece)));
}

TTextPosition TTextPositionCursor::PositionOf(size_t offset) {
  if (offset < offset_) {
    // Backwards: count again from the start of the line, or of the text.
    if (offset < line_start_) {
      line_start_ = 0;
      line_ = 1;
    }
    offset_ = line_start_;
    column_ = 1;
  }
  const size_t scanned_from = offset_;
  size_t line_start = line_start_;
  for (size_t i = offset_; i < offset; ++i) {
    const char c = text_[i];
    // CR LF is one line end: its CR is passed over and the LF ends the line.
    const bool line_end =
        c == '\n' || (c == '\r' && (i + 1 >= text_.size() || text_[i + 1] != '\n'));
    if (line_end) {
      ++line_;
      line_start = i + 1;
    }
  }
  if (line_start != line_start_) {
    line_start_ = line_start;
    column_ = 1 + CountCharacters(text_.substr(line_start, offset - line_start));
  } else {
    column_ += CountCharacters(text_.substr(scanned_from, offset - scanned_from));
  }
  offset_ = offset;
  return TTextPosition{line_, static_cast<int32_t>(column_)};
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
