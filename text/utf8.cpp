// UTF-8 decoding with U+FFFD for ill-formed parts, and UTF-8 encoding of UTF-16.
#include "text/utf8.h"

#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "text/widen_ascii.h"

namespace farrowdale {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

inline bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Reads the sequence that starts with the byte at p (not ASCII): returns its length with its
// code point in *value, or minus the length of its maximal ill-formed part.
inline int TakeSequence(const unsigned char* p, const unsigned char* end, uint32_t* value) {
  const unsigned char lead = *p;
  int length;
  // The second byte's range depends on the lead (this excludes overlong forms, encoded
  // surrogates and values beyond U+10FFFF); later bytes are plain continuation bytes.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    *value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    *value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    *value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return -1;
  }
  int taken = 1;
  for (; taken < length && p + taken < end; ++taken) {
    const unsigned char c = p[taken];
    if (taken == 1 ? (c < low || c > high) : !IsContinuation(c)) break;
    *value = (*value << 6) | (c & 0x3F);
  }
  return taken < length ? -taken : taken;
}

}  // namespace

size_t Utf8ToUtf16(std::string_view bytes, char16_t* const out_begin) {
  char16_t* out = out_begin;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const unsigned char* const end = p + bytes.size();
  while (p < end) {
    if (*p < 0x80) {
      const size_t run = WidenAscii(p, end, out);
      p += run;
      out += run;
      continue;
    }
    uint32_t value;
    const int taken = TakeSequence(p, end, &value);
    p += taken < 0 ? -taken : taken;
    if (taken < 0) {
      *out++ = kReplacement;
    } else if (value < 0x10000) {
      *out++ = static_cast<char16_t>(value);
    } else {
      value -= 0x10000;
      *out++ = static_cast<char16_t>(0xD800 + (value >> 10));
      *out++ = static_cast<char16_t>(0xDC00 + (value & 0x3FF));
    }
  }
  return static_cast<size_t>(out - out_begin);
}

bool IsWellFormedUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const unsigned char* const end = p + bytes.size();
  while (p < end) {
    // Sixty-four, sixteen or eight ASCII bytes at a time: the common case of any corpus.
#ifdef __SSE2__
    if (end - p >= 64) {
      const auto* blocks = reinterpret_cast<const __m128i*>(p);
      const __m128i any =
          _mm_or_si128(_mm_or_si128(_mm_loadu_si128(blocks), _mm_loadu_si128(blocks + 1)),
                       _mm_or_si128(_mm_loadu_si128(blocks + 2), _mm_loadu_si128(blocks + 3)));
      if (_mm_movemask_epi8(any) == 0) {
        p += 64;
        continue;
      }
    }
    if (end - p >= 16 &&
        _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))) == 0) {
      p += 16;
      continue;
    }
#endif
    uint64_t word;
    if (end - p >= 8 && (std::memcpy(&word, p, 8), (word & 0x8080808080808080u) == 0)) {
      p += 8;
      continue;
    }
    if (*p < 0x80) {
      ++p;
      continue;
    }
    uint32_t value;
    const int taken = TakeSequence(p, end, &value);
    if (taken < 0) return false;
    p += taken;
  }
  return true;
}

std::u16string Utf8ToUtf16(std::string_view bytes) {
  std::u16string text(bytes.size(), u'\0');
  text.resize(Utf8ToUtf16(bytes, text.data()));
  return text;
}

std::string Utf16ToUtf8(std::u16string_view text, char replacement) {
  std::string bytes;
  AppendUtf16AsUtf8(text, replacement, &bytes);
  return bytes;
}

void AppendUtf16AsUtf8(std::u16string_view text, char replacement, std::string* bytes) {
  // Room for one byte per unit, what ASCII text takes, grown as other characters come: the
  // room is filled with zeros first, and three bytes per unit would triple that work.
  size_t at = bytes->size();
  bytes->resize(at + text.size());
  const char16_t* const end = text.data() + text.size();
  for (const char16_t* p = text.data(); p < end;) {
    const size_t run = NarrowAscii(p, end, bytes->data() + at);
    p += run;
    at += run;
    if (p == end) break;
    // Room for this character's four bytes at most and for the rest as ASCII, with a margin
    // so that scattered characters do not each grow it.
    const auto rest = static_cast<size_t>(end - p);
    if (bytes->size() < at + 4 + rest) bytes->resize(at + 4 + rest + rest / 8 + 16);
    char* out = bytes->data() + at;
    const uint32_t unit = *p++;
    if (unit < 0x800) {
      *out++ = static_cast<char>(0xC0 | (unit >> 6));
      *out++ = static_cast<char>(0x80 | (unit & 0x3F));
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      if (unit <= 0xDBFF && p < end && *p >= 0xDC00 && *p <= 0xDFFF) {
        const uint32_t value = 0x10000 + ((unit - 0xD800) << 10) + (*p++ - 0xDC00);
        *out++ = static_cast<char>(0xF0 | (value >> 18));
        *out++ = static_cast<char>(0x80 | ((value >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (value & 0x3F));
      } else {
        *out++ = replacement;
      }
    } else {
      *out++ = static_cast<char>(0xE0 | (unit >> 12));
      *out++ = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      *out++ = static_cast<char>(0x80 | (unit & 0x3F));
    }
    at = static_cast<size_t>(out - bytes->data());
  }
  bytes->resize(at);
}

}  // namespace farrowdale
