#include "regex/byte_search.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace farrowdale::regex {

const uint8_t* FindAnyOfFew(const uint8_t* text, size_t size, const uint8_t* bytes, int count) {
  if (count == 1) return static_cast<const uint8_t*>(std::memchr(text, bytes[0], size));
  // With two, the third compare repeats the second.
  const uint8_t a = bytes[0];
  const uint8_t b = bytes[1];
  const uint8_t c = count == 3 ? bytes[2] : bytes[1];
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i va = _mm_set1_epi8(static_cast<char>(a));
  const __m128i vb = _mm_set1_epi8(static_cast<char>(b));
  const __m128i vc = _mm_set1_epi8(static_cast<char>(c));
  for (; i + 16 <= size; i += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    const __m128i hit =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, va), _mm_cmpeq_epi8(chunk, vb)),
                     _mm_cmpeq_epi8(chunk, vc));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
    if (mask != 0) return text + i + static_cast<size_t>(__builtin_ctz(mask));
  }
#endif
  for (; i < size; ++i) {
    const uint8_t x = text[i];
    if (x == a || x == b || x == c) return text + i;
  }
  return nullptr;
}

}  // namespace farrowdale::regex
