#include "report/report_stream.h"

#include <algorithm>
#include <array>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "report/table_fragments.h"
#include "text/line_splitter.h"
#include "text/utf8.h"

namespace farrowdale {
namespace {

// Enough text per write to keep the system calls and conversions few, little enough to stay
// in the caches.
constexpr size_t kUnicodeChunk = 16 * 1024;
constexpr size_t kByteChunk = 64 * 1024;
// Text the code page would change goes through it up to the start of a run of this many ASCII
// units, after which the run is written as it is: shorter runs do not repay the switch.
constexpr size_t kAsciiRunWorthSkipping = 16;

// Escaped narrow text taken the long way goes in pieces of this many bytes.
constexpr size_t kNarrowPiece = 16 * 1024;
// ASCII bytes are escaped and widened this many at a time, in a buffer on the stack.
constexpr size_t kAsciiBlock = 4096;
// The longest escape of one ASCII byte, in units ("&amp;").
constexpr size_t kLongestEscape = 5;

// The bytes that do not stand for themselves in UTF-16 text: those of characters beyond ASCII,
// and line ends and U+0000, which end lines and the text; in escaped text also the ones
// escaped.
constexpr std::array<bool, 256> NeedsCare(bool escape) {
  std::array<bool, 256> needs_care{};
  for (size_t byte = 0x80; byte < 0x100; ++byte) needs_care[byte] = true;
  for (const unsigned char byte : {'\r', '\n', '\0'}) needs_care[byte] = true;
  if (escape) {
    for (const unsigned char byte : {'&', '<', '>'}) needs_care[byte] = true;
  }
  return needs_care;
}
constexpr std::array<bool, 256> kNeedsCareEscaped = NeedsCare(true);
constexpr std::array<bool, 256> kNeedsCareAsIs = NeedsCare(false);

// Writes the bytes at the start of [p, end) that stand for themselves (NeedsCare(escape)) to
// out as UTF-16 LE, 16 at a time where SSE2 is there; returns how many. out must have room for
// two bytes per input byte (what lies there past the run may be overwritten).
size_t WidenPlainAscii(const char* p, const char* const end, char* out, bool escape) {
  const std::array<bool, 256>& needs_care = escape ? kNeedsCareEscaped : kNeedsCareAsIs;
  size_t done = 0;
#ifdef __SSE2__
  const __m128i zero = _mm_setzero_si128();
  // Without escaping, "&", "<" and ">" need no care: the line end bytes stand in for them.
  const __m128i ampersand = _mm_set1_epi8(escape ? '&' : '\r');
  const __m128i less = _mm_set1_epi8(escape ? '<' : '\r');
  const __m128i greater = _mm_set1_epi8(escape ? '>' : '\r');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  // Widens the 16 bytes at from into to (32 bytes); returns a bit per byte that needs care
  // (bytes beyond ASCII have their top bit set).
  const auto widen16 = [&](const char* from, char* to) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    __m128i care = _mm_or_si128(_mm_cmpeq_epi8(bytes, ampersand), _mm_cmpeq_epi8(bytes, less));
    care = _mm_or_si128(care, _mm_cmpeq_epi8(bytes, greater));
    care = _mm_or_si128(care, _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)));
    care = _mm_or_si128(care, _mm_cmpeq_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16), _mm_unpackhi_epi8(bytes, zero));
    return static_cast<unsigned>(_mm_movemask_epi8(care) | _mm_movemask_epi8(bytes));
  };
  // All 16 are widened; the run ends at the first that needs care.
  while (end - (p + done) >= 16) {
    const unsigned stop = widen16(p + done, out + 2 * done);
    if (stop != 0) return done + static_cast<size_t>(__builtin_ctz(stop));
    done += 16;
  }
  // A tail shorter than 16 bytes after at least 16 in all: the 16 bytes that end with it are
  // widened instead. The ones before the tail were widened above as plain bytes, so they are
  // written again with the same units at the same place.
  const size_t left = static_cast<size_t>(end - (p + done));
  if (left > 0 && done + left >= 16) {
    const size_t back = 16 - left;
    const unsigned stop = widen16(end - 16, out + 2 * (done - back)) >> back;
    return done + (stop != 0 ? static_cast<size_t>(__builtin_ctz(stop)) : left);
  }
#endif
  while (p + done < end && !needs_care[static_cast<unsigned char>(p[done])]) {
    out[2 * done] = p[done];
    out[2 * done + 1] = '\0';
    ++done;
  }
  return done;
}

// The number of bytes at the start of narrow that are not ASCII.
size_t NonAsciiRunLength(std::string_view narrow) {
  const auto ascii = std::find_if(narrow.begin(), narrow.end(),
                                  [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  return static_cast<size_t>(ascii - narrow.begin());
}

// The length of the start of text to convert, up to and with the first unit of a run of ASCII
// units worth skipping (after an ASCII unit neither encoder nor decoder holds anything back),
// or all of it.
size_t ConvertedRunLength(std::u16string_view text) {
  size_t ascii_run = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    ascii_run = text[i] < 0x80 ? ascii_run + 1 : 0;
    if (ascii_run == kAsciiRunWorthSkipping) return i + 2 - kAsciiRunWorthSkipping;
  }
  return text.size();
}

}  // namespace

TReportStream::TReportStream(TAtomicFile& file) : file_(file) {
  bytes_.reserve(kByteChunk + 2 * kUnicodeChunk);
  bytes_ = "\xFF\xFE";
}

void TReportStream::AppendNarrow(std::string_view narrow) {
  WriteUnicode(/*value_ends=*/true);
  WriteNarrowText(narrow, /*escape=*/false);
}

void TReportStream::AppendEscapedNarrow(std::string_view narrow) {
  // The text view hands over a piece between every two highlights: with no Unicode text
  // appended and nothing held back by the encoder, ending the value would write nothing.
  if (!unicode_.empty() || encoder_.HoldsBack()) WriteUnicode(/*value_ends=*/true);
  WriteNarrowText(narrow, /*escape=*/true);
}

void TReportStream::WriteNarrowText(std::string_view narrow, bool escape) {
  const ECodePageKind kind = SystemCodePageKind();
  // Under these code pages ASCII bytes are characters of their own, never part of another
  // character's bytes, and decode as themselves; the one-byte ones decode without state.
  const bool one_pass =
      kind == ECodePageKind::kUtf8 || (kind == ECodePageKind::kSingleByte && !decoder_.HoldsBack());
  if (!one_pass && !escape) {
    WriteNarrow(narrow);
    return;
  }
  if (!one_pass) {
    for (size_t piece = 0; piece < narrow.size(); piece += kNarrowPiece) {
      WriteNarrow(EscapeHtml(narrow.substr(piece, kNarrowPiece)));
    }
    return;
  }
  if (decoder_.HoldsBack()) {
    // The start of a UTF-8 sequence from the last piece: what may finish it goes through the
    // decoder, and so does the ASCII byte after it, which ends it unfinished.
    const size_t run = NonAsciiRunLength(narrow);
    WriteNarrow(narrow.substr(0, run));
    narrow.remove_prefix(run);
    if (!narrow.empty() && decoder_.HoldsBack()) {
      const std::string_view ascii = narrow.substr(0, 1);
      WriteNarrow(escape ? EscapeHtml(ascii) : std::string(ascii));
      narrow.remove_prefix(1);
    }
  }
  while (!narrow.empty() && !ended_) {
    const size_t run = NonAsciiRunLength(narrow);
    if (run == 0) {
      narrow.remove_prefix(WriteAscii(narrow, escape));
      continue;
    }
    const std::string_view bytes = narrow.substr(0, run);
    narrow.remove_prefix(run);
    decoded_.clear();
    if (kind != ECodePageKind::kUtf8) {
      decoder_.Decode(bytes, &decoded_);
    } else if (narrow.empty()) {
      // A sequence at the end may go on in the next piece: the decoder holds it.
      decoder_.Decode(bytes, &decoded_);
    } else {
      // An ASCII byte follows, so every sequence in the run ends within it.
      decoded_.resize(bytes.size());
      decoded_.resize(Utf8ToUtf16(bytes, decoded_.data()));
    }
    WriteDecoded(decoded_);
  }
}

void TReportStream::AppendAsciiMarkup(std::string_view ascii) {
  // Unicode text still held is written first, its value going on: Drain cuts it the same way.
  if (!unicode_.empty() && AsciiSkipsTheDecoder()) WriteUnicode(/*value_ends=*/false);
  if (!unicode_.empty() || encoder_.HoldsBack() || !AsciiSkipsTheDecoder()) {
    AppendAscii(unicode_, ascii);
    Drain();
    return;
  }
  while (!ascii.empty() && !ended_) ascii.remove_prefix(WriteAscii(ascii, /*escape=*/false));
}

bool TReportStream::AsciiSkipsTheDecoder() const {
  // Under these code pages ASCII bytes are characters of their own, never part of another
  // character's bytes, and decode as themselves; the one-byte ones decode without state.
  const ECodePageKind kind = SystemCodePageKind();
  return (kind == ECodePageKind::kUtf8 || kind == ECodePageKind::kSingleByte) &&
         !decoder_.HoldsBack();
}

void TReportStream::AppendUnicode(std::u16string_view text) {
  unicode_.append(text);
  Drain();
}

void TReportStream::Drain() {
  if (unicode_.size() >= kUnicodeChunk) WriteUnicode(/*value_ends=*/false);
}

void TReportStream::Finish() {
  WriteUnicode(/*value_ends=*/true);
  decoded_.clear();
  decoder_.Finish(&decoded_);
  WriteDecoded(decoded_);
  if (in_line_) AppendLineEnd();
  in_line_ = false;
  WriteBytes();
}

void TReportStream::WriteUnicode(bool value_ends) {
  const std::u16string_view text = unicode_;
  for (size_t done = 0; done < text.size(); done += kUnicodeChunk) {
    WriteUnicodeChunk(text.substr(done, kUnicodeChunk));
  }
  unicode_.clear();
  if (value_ends) {
    narrow_.clear();
    encoder_.Finish(&narrow_);
    WriteNarrow(narrow_);
  }
}

void TReportStream::WriteUnicodeChunk(std::u16string_view text) {
  while (!text.empty()) {
    const bool encoder_holds_back = encoder_.HoldsBack();
    const bool decoder_holds_back = decoder_.HoldsBack();
    if (!encoder_holds_back && !decoder_holds_back) {
      const size_t unchanged = encoder_.UnchangedPrefix(text);
      WriteDecoded(text.substr(0, unchanged));
      text.remove_prefix(unchanged);
      if (text.empty()) break;
    }
    // When both hold back, as they always do under code pages converted by ICU, the whole
    // chunk goes through the code page in one go.
    const std::u16string_view converted =
        encoder_holds_back && decoder_holds_back ? text : text.substr(0, ConvertedRunLength(text));
    narrow_.clear();
    encoder_.Encode(converted, &narrow_);
    WriteNarrow(narrow_);
    text.remove_prefix(converted.size());
  }
}

void TReportStream::WriteNarrow(std::string_view narrow) {
  decoded_.clear();
  decoder_.Decode(narrow, &decoded_);
  WriteDecoded(decoded_);
}

void TReportStream::WriteDecoded(std::u16string_view text) {
  const char16_t* p = text.data();
  const char16_t* const end = p + text.size();
  while (p < end && !ended_) {
    if (after_cr_) {
      after_cr_ = false;
      if (*p == u'\n') {
        ++p;
        continue;
      }
    }
    const char16_t* stop = FindLineStop(p, end);
    AppendUnits(p, stop);
    if (stop != p) in_line_ = true;
    if (stop == end) break;
    if (*stop == u'\0') {
      ended_ = true;
    } else {
      AppendLineEnd();
      after_cr_ = *stop == u'\r';
    }
    p = stop + 1;
  }
  if (bytes_.size() >= kByteChunk) WriteBytes();
}

size_t TReportStream::WriteAscii(std::string_view narrow, bool escape) {
  const size_t limit = std::min(narrow.size(), kAsciiBlock);
  std::array<char, 2 * kLongestEscape * kAsciiBlock> block;
  char* out = block.data();
  const auto put = [&out](std::string_view ascii) {
    for (const char c : ascii) {
      *out++ = c;
      *out++ = '\0';
    }
  };
  size_t i = 0;
  while (i < limit && !ended_) {
    if (after_cr_) {
      after_cr_ = false;
      if (narrow[i] == '\n') {
        ++i;
        continue;
      }
    }
    const size_t run = WidenPlainAscii(narrow.data() + i, narrow.data() + limit, out, escape);
    out += 2 * run;
    i += run;
    if (run > 0) in_line_ = true;
    if (i == limit) break;
    const char c = narrow[i];
    if (static_cast<unsigned char>(c) >= 0x80) break;
    ++i;
    // A line end, U+0000 or, when escaping, a character to escape.
    switch (c) {
      case '\r':
      case '\n':
        put("\r\n");
        in_line_ = false;
        after_cr_ = c == '\r';
        continue;
      case '\0':
        ended_ = true;
        continue;
      case '&':
        put("&amp;");
        break;
      case '<':
        put("&lt;");
        break;
      default:  // '>'
        put("&gt;");
    }
    in_line_ = true;
  }
  bytes_.append(block.data(), static_cast<size_t>(out - block.data()));
  if (bytes_.size() >= kByteChunk) WriteBytes();
  // Once the text has ended, the rest of it counts as written.
  return ended_ ? narrow.size() : i;
}

void TReportStream::AppendLineEnd() {
  bytes_.append("\r\0\n\0", 4);
  in_line_ = false;
}

void TReportStream::AppendUnits(const char16_t* begin, const char16_t* end) {
  const size_t start = bytes_.size();
  bytes_.resize(start + 2 * static_cast<size_t>(end - begin));
  char* out = bytes_.data() + start;
  for (const char16_t* p = begin; p < end; ++p) {
    *out++ = static_cast<char>(*p & 0xFF);
    *out++ = static_cast<char>(*p >> 8);
  }
}

void TReportStream::WriteBytes() {
  file_.Append(bytes_);
  bytes_.clear();
}

}  // namespace farrowdale
