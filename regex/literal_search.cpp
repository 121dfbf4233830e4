#include "regex/literal_search.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace farrowdale::regex {
namespace {

#if defined(__x86_64__)
// 32 candidate positions at a time, where the processor has AVX2. Returns the offset of the
// first match among the positions it covered, or sets *covered to the first position left.
__attribute__((target("avx2"))) const uint8_t* FindWide(const uint8_t* text, size_t text_size,
                                                        const uint8_t* needle, size_t last,
                                                        size_t* covered) {
  const __m256i first_byte = _mm256_set1_epi8(static_cast<char>(needle[0]));
  const __m256i last_byte = _mm256_set1_epi8(static_cast<char>(needle[last]));
  size_t i = 0;
  for (; i + last + 32 <= text_size; i += 32) {
    const __m256i head = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i));
    const __m256i tail = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i + last));
    unsigned mask = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_and_si256(_mm256_cmpeq_epi8(head, first_byte), _mm256_cmpeq_epi8(tail, last_byte))));
    while (mask != 0) {
      const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
      if (std::memcmp(text + at + 1, needle + 1, last - 1) == 0) return text + at;
      mask &= mask - 1;
    }
  }
  *covered = i;
  return nullptr;
}

const bool kHasAvx2 = __builtin_cpu_supports("avx2");
#endif

}  // namespace

const uint8_t* FindLiteral(const uint8_t* text, size_t text_size, const uint8_t* needle,
                           size_t needle_size) {
  if (needle_size == 0) return text;
  if (needle_size > text_size) return nullptr;
  if (needle_size == 1) return static_cast<const uint8_t*>(std::memchr(text, needle[0], text_size));
  const size_t last = needle_size - 1;
  size_t i = 0;
#if defined(__x86_64__)
  if (kHasAvx2) {
    if (const uint8_t* hit = FindWide(text, text_size, needle, last, &i)) return hit;
  }
#endif
#if defined(__SSE2__)
  // 16 candidate positions at a time: those where both the first and the last byte of the
  // needle are in place; only they are compared in full.
  const __m128i first_byte = _mm_set1_epi8(static_cast<char>(needle[0]));
  const __m128i last_byte = _mm_set1_epi8(static_cast<char>(needle[last]));
  for (; i + last + 16 <= text_size; i += 16) {
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + last));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpeq_epi8(head, first_byte), _mm_cmpeq_epi8(tail, last_byte))));
    while (mask != 0) {
      const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
      if (std::memcmp(text + at + 1, needle + 1, last - 1) == 0) return text + at;
      mask &= mask - 1;
    }
  }
#endif
  for (; i + last < text_size; ++i) {
    if (text[i] == needle[0] && std::memcmp(text + i + 1, needle + 1, last) == 0) return text + i;
  }
  return nullptr;
}

}  // namespace farrowdale::regex
