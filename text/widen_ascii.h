// WidenAscii and NarrowAscii: copy the run of ASCII characters at the start of a range between
// bytes and UTF-16 units, 16 at a time where SSE2 is there. The common case of every converter.
#ifndef FARROWDALE_TEXT_WIDEN_ASCII_H_
#define FARROWDALE_TEXT_WIDEN_ASCII_H_

#include <cstddef>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace farrowdale {

// Returns the length of the ASCII run at p (before end) and writes it widened to out. May
// write up to 16 units beyond the run, never beyond out + (end - p): the caller's output must
// have one unit of room per input byte.
inline size_t WidenAscii(const unsigned char* p, const unsigned char* end, char16_t* out) {
  size_t done = 0;
#ifdef __SSE2__
  const __m128i zero = _mm_setzero_si128();
  while (end - (p + done) >= 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + done));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done + 8), _mm_unpackhi_epi8(bytes, zero));
    const int non_ascii = _mm_movemask_epi8(bytes);
    if (non_ascii != 0) return done + __builtin_ctz(non_ascii);
    done += 16;
  }
#endif
  while (p + done < end && p[done] < 0x80) {
    out[done] = p[done];
    ++done;
  }
  return done;
}

// The reverse: returns the length of the run of units below 0x80 at p (before end) and writes
// it as bytes to out.
inline size_t NarrowAscii(const char16_t* p, const char16_t* end, char* out) {
  size_t done = 0;
#ifdef __SSE2__
  const __m128i top_bits = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i zero = _mm_setzero_si128();
  while (end - (p + done) >= 16) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + done));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + done + 8));
    const __m128i any_top = _mm_and_si128(_mm_or_si128(low, high), top_bits);
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(any_top, zero)) != 0xFFFF) break;  // finish below
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), _mm_packus_epi16(low, high));
    done += 16;
  }
#endif
  while (p + done < end && p[done] < 0x80) {
    out[done] = static_cast<char>(p[done]);
    ++done;
  }
  return done;
}

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_WIDEN_ASCII_H_
