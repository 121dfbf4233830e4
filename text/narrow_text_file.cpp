#include "text/narrow_text_file.h"

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <functional>

#include "text/code_page.h"
#include "text/regular_file.h"
#include "text/text_decoding.h"
#include "text/unicode_string_list.h"

namespace farrowdale {
namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

template <typename Unit>
bool IsBreakOrEnd(Unit c) {
  return c <= Unit{'\r'} && (c == 0 || c == Unit{'\n'} || c == Unit{'\r'});
}

#ifdef __SSE2__
// Sixteen bytes or eight UTF-16 units: a mask with bits set for each unit that may be a CR, LF
// or zero. Bytes are taken up to CR in one comparison (tabs and other controls are checked
// after); UTF-16 units exactly.
int BreakMask(const char* at) {
  const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(units, _mm_set1_epi8('\r')), units));
}
int BreakMask(const char16_t* at) {
  const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  return _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16(u'\r')),
                                                     _mm_cmpeq_epi16(units, _mm_set1_epi16(u'\n'))),
                                        _mm_cmpeq_epi16(units, _mm_setzero_si128())));
}
#endif

// The position of the first CR, LF or zero unit in text at or after from, or text.size().
template <typename Unit>
size_t FindBreakOrEnd(std::basic_string_view<Unit> text, size_t from) {
  size_t i = from;
#ifdef __SSE2__
  constexpr size_t kUnitsPerBlock = 16 / sizeof(Unit);
  // Four blocks at a time while lines are long, then block by block to the break.
  for (; i + 4 * kUnitsPerBlock <= text.size(); i += 4 * kUnitsPerBlock) {
    const Unit* at = text.data() + i;
    if ((BreakMask(at) | BreakMask(at + kUnitsPerBlock) | BreakMask(at + 2 * kUnitsPerBlock) |
         BreakMask(at + 3 * kUnitsPerBlock)) != 0) {
      break;
    }
  }
  for (; i + kUnitsPerBlock <= text.size(); i += kUnitsPerBlock) {
    for (int mask = BreakMask(text.data() + i); mask != 0; mask &= mask - 1) {
      const size_t at = i + __builtin_ctz(mask) / sizeof(Unit);
      if (IsBreakOrEnd(text[at])) return at;
    }
  }
#endif
  while (i < text.size() && !IsBreakOrEnd(text[i])) ++i;
  return i;
}

// Turns decoded pieces into the narrow joined text: CR, LF and CR LF each become CR LF (LF CR
// is two line ends), U+0000 ends the text, and a last line without a line end gets one.
// Pieces come decoded (UTF-16) or, where the bytes already are narrow text, as they were read.
class JoinedNarrowBuilder {
 public:
  // Room for the text of a file of this many bytes, so that it grows without copies: as
  // many bytes as the file, and a sixteenth more for the CR each LF-only line end gains
  // (UTF-16 text needs fewer bytes).
  explicit JoinedNarrowBuilder(uint64_t file_size) {
    narrow_.reserve(static_cast<size_t>(file_size + file_size / 16) + 2);
  }

  // False once a U+0000 has ended the text.
  bool Feed(std::u16string_view piece) {
    normalized_.assign(held_);
    held_.clear();
    AppendNormalized(piece, normalized_);
    // A surrogate pair split between pieces is converted whole, with the next piece.
    if (!ended_ && !normalized_.empty() && IsHighSurrogate(normalized_.back())) {
      held_.assign(1, normalized_.back());
      normalized_.pop_back();
    }
    AppendNarrow(normalized_, &narrow_);
    return !ended_;
  }

  // Bytes that are narrow text already; the text before them never ends in half a pair.
  bool FeedNarrow(std::string_view piece) {
    AppendNormalized(piece, narrow_);
    return !ended_;
  }

  std::string Finish() {
    normalized_.assign(held_);
    if (open_line_) {
      normalized_.append(u"\r\n");
      lone_line_ends_.push_back({line_ends_++, 0});
    }
    AppendNarrow(normalized_, &narrow_);
    return std::move(narrow_);
  }

  std::vector<TLoneLineEnd> TakeLoneLineEnds() { return std::move(lone_line_ends_); }

 private:
  template <typename Unit>
  void AppendNormalized(std::basic_string_view<Unit> piece, std::basic_string<Unit>& out) {
    static constexpr Unit kLineEnd[] = {Unit{'\r'}, Unit{'\n'}};
    // Text and CR LF pairs stay where they are and are copied in one piece, from copy_from
    // up to the next line end that has to change.
    size_t copy_from = 0;
    size_t i = 0;
    while (i < piece.size()) {
      const size_t run = FindBreakOrEnd(piece, i);
      if (run > i) {
        after_cr_ = false;
        open_line_ = true;
      }
      if (run == piece.size()) break;
      const Unit c = piece[run];
      if (c == Unit{'\r'} && run + 1 < piece.size() && piece[run + 1] == Unit{'\n'}) {
        i = run + 2;
        after_cr_ = false;
        open_line_ = false;
        ++line_ends_;
        continue;
      }
      out.append(piece.substr(copy_from, run - copy_from));
      i = run + 1;
      copy_from = i;
      if (c == 0) {
        ended_ = true;
        return;
      }
      if (c == Unit{'\n'} && after_cr_) {  // the LF of a CR LF split between pieces
        after_cr_ = false;
        lone_line_ends_.pop_back();
        continue;
      }
      out.append(kLineEnd, 2);
      lone_line_ends_.push_back({line_ends_++, static_cast<char>(c)});
      after_cr_ = c == Unit{'\r'};
      open_line_ = false;
    }
    out.append(piece.substr(copy_from));
  }

  std::u16string normalized_;  // the current piece, line ends normalized; storage reused
  std::u16string held_;        // a high surrogate waiting for its partner
  std::string narrow_;
  bool after_cr_ = false;
  bool open_line_ = false;  // the current line has characters and no line end yet
  bool ended_ = false;
  size_t line_ends_ = 0;  // written so far
  std::vector<TLoneLineEnd> lone_line_ends_;
};

// The joined narrow text of the bytes source hands over (size of them in all). Multi-byte
// code pages other than UTF-8 may keep state across characters, so piecewise conversion is
// not safe for them: they take the list's way, through read_into_list.
TNarrowTextFile JoinNarrow(
    const ChunkSource& source, uint64_t size,
    const std::function<TextReadWarnings(TUnicodeStringList&)>& read_into_list) {
  if (SystemCodePageKind() == ECodePageKind::kOtherMultiByte) {
    TUnicodeStringList list;
    TextReadWarnings warnings = read_into_list(list);
    return {ToNarrow(list.JoinedText()), std::move(warnings), {}, {}};
  }
  JoinedNarrowBuilder builder(size);
  std::string read_as;
  TextReadWarnings warnings = DecodeTextChunks(
      source, [&builder](std::u16string_view piece) { return builder.Feed(piece); },
      [&builder, size] { builder = JoinedNarrowBuilder(size); },
      [&builder](std::string_view piece) { return builder.FeedNarrow(piece); }, &read_as);
  std::string text = builder.Finish();
  return {std::move(text), std::move(warnings), builder.TakeLoneLineEnds(), std::move(read_as)};
}

}  // namespace

TNarrowTextFile ReadNarrowJoinedText(const std::filesystem::path& path) {
  const TRegularFile file(path);
  return JoinNarrow([&file](const ChunkFeed& feed) { file.ReadChunks(feed); }, file.size(),
                    [&path](TUnicodeStringList& list) { return list.ReadTextFile(path); });
}

TNarrowTextFile NarrowJoinedTextOf(std::string_view bytes) {
  return JoinNarrow(
      [bytes](const ChunkFeed& feed) {
        for (size_t at = 0; at < bytes.size(); at += kDecodeChunkBytes) {
          feed(bytes.substr(at, kDecodeChunkBytes));
        }
      },
      bytes.size(), [bytes](TUnicodeStringList& list) { return list.LoadFromBytes(bytes); });
}

std::string WithLineEndsAsWritten(std::string_view text, size_t start, size_t size,
                                  size_t first_line_end,
                                  const std::vector<TLoneLineEnd>& lone_line_ends) {
  std::string_view piece = text.substr(start, size);
  std::string out;
  out.reserve(piece.size());
  auto lone = std::lower_bound(
      lone_line_ends.begin(), lone_line_ends.end(), first_line_end,
      [](const TLoneLineEnd& line_end, size_t index) { return line_end.index < index; });
  for (size_t line_end = first_line_end;; ++line_end) {
    const size_t pair = piece.find("\r\n");
    out.append(piece.substr(0, pair));
    if (pair == std::string_view::npos) return out;
    while (lone != lone_line_ends.end() && lone->index < line_end) ++lone;
    if (lone == lone_line_ends.end() || lone->index != line_end) {
      out.append("\r\n");
    } else if (lone->written != 0) {
      out += lone->written;
    }
    piece.remove_prefix(pair + 2);
  }
}

}  // namespace farrowdale
