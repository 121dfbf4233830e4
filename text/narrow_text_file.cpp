#include "text/narrow_text_file.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "text/code_page.h"
#include "text/regular_file.h"
#include "text/text_decoding.h"
#include "text/unicode_string_list.h"

namespace farrowdale {
namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

bool IsBreakOrEnd(char16_t c) { return c <= u'\r' && (c == 0 || c == u'\n' || c == u'\r'); }

// The position of the first CR, LF or U+0000 in text at or after from, or text.size().
size_t FindBreakOrEnd(std::u16string_view text, size_t from) {
  size_t i = from;
#ifdef __SSE2__
  const __m128i cr = _mm_set1_epi16(u'\r');
  const __m128i lf = _mm_set1_epi16(u'\n');
  const __m128i zero = _mm_setzero_si128();
  for (; i + 8 <= text.size(); i += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(units, cr), _mm_cmpeq_epi16(units, lf)),
                     _mm_cmpeq_epi16(units, zero));
    const int mask = _mm_movemask_epi8(hits);
    if (mask != 0) return i + __builtin_ctz(mask) / 2;
  }
#endif
  while (i < text.size() && !IsBreakOrEnd(text[i])) ++i;
  return i;
}

// Turns decoded pieces into the narrow joined text: CR, LF and CR LF each become CR LF (LF CR
// is two line ends), U+0000 ends the text, and a last line without a line end gets one.
class JoinedNarrowBuilder {
 public:
  // False once a U+0000 has ended the text.
  bool Feed(std::u16string_view piece) {
    normalized_.assign(held_);
    held_.clear();
    size_t i = 0;
    while (i < piece.size()) {
      const size_t run = FindBreakOrEnd(piece, i);
      if (run > i) {
        normalized_.append(piece.substr(i, run - i));
        after_cr_ = false;
        open_line_ = true;
      }
      if (run == piece.size()) break;
      const char16_t c = piece[run];
      i = run + 1;
      if (c == 0) {
        ended_ = true;
        break;
      }
      if (c == u'\n' && after_cr_) {  // the LF of a CR LF
        after_cr_ = false;
        continue;
      }
      normalized_.append(u"\r\n");
      after_cr_ = c == u'\r';
      open_line_ = false;
    }
    // A surrogate pair split between pieces is converted whole, with the next piece.
    if (!ended_ && !normalized_.empty() && IsHighSurrogate(normalized_.back())) {
      held_.assign(1, normalized_.back());
      normalized_.pop_back();
    }
    AppendNarrow(normalized_, &narrow_);
    return !ended_;
  }

  std::string Finish() {
    normalized_.assign(held_);
    if (open_line_) normalized_.append(u"\r\n");
    AppendNarrow(normalized_, &narrow_);
    return std::move(narrow_);
  }

 private:
  std::u16string normalized_;  // the current piece, line ends normalized; storage reused
  std::u16string held_;        // a high surrogate waiting for its partner
  std::string narrow_;
  bool after_cr_ = false;
  bool open_line_ = false;  // the current line has characters and no line end yet
  bool ended_ = false;
};

}  // namespace

TNarrowTextFile ReadNarrowJoinedText(const std::filesystem::path& path) {
  // Multi-byte code pages other than UTF-8 may keep state across characters, so piecewise
  // conversion is not safe for them: they take the list's way.
  if (SystemCodePageIsMultiByte() && SystemCodePageName() != "UTF-8") {
    TUnicodeStringList list;
    TextReadWarnings warnings = list.ReadTextFile(path);
    return {ToNarrow(list.JoinedText()), std::move(warnings)};
  }
  const TRegularFile file(path);
  JoinedNarrowBuilder builder;
  TextReadWarnings warnings =
      DecodeTextChunks([&file](const ChunkFeed& feed) { file.ReadChunks(feed); },
                       [&builder](std::u16string_view piece) { return builder.Feed(piece); },
                       [&builder] { builder = JoinedNarrowBuilder(); });
  return {builder.Finish(), std::move(warnings)};
}

}  // namespace farrowdale
