#include "regex/literal_search.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace farrowdale::regex {
namespace {

// How common a byte is in coded corpus text, roughly: the search tests the needle's first
// and last byte and its least common byte in between, so that markers sharing their brackets
// ("<t07>", "<t12>") do not all stop the scan.
int Commonness(uint8_t c) {
  if (c == ' ' || c == 'e' || c == 't' || c == 'a' || c == 'o' || c == 'i' || c == 'n') return 9;
  if (c >= 'a' && c <= 'z') return 7;
  if (c == '<' || c == '>' || c == '/' || c == '\r' || c == '\n') return 6;  // every marker
  if (c >= 'A' && c <= 'Z') return 4;
  if (c >= '0' && c <= '9') return 3;
  return c < 0x80 ? 5 : 2;
}

// The position in 1..last of the needle's least common byte (the later one on a tie).
size_t RareBytePosition(const uint8_t* needle, size_t last) {
  size_t best = last;
  for (size_t k = last - 1; k >= 1; --k) {
    if (Commonness(needle[k]) < Commonness(needle[best])) best = k;
  }
  return best;
}

#if defined(__x86_64__)
// 32 candidate positions at a time, where the processor has AVX2. Returns the offset of the
// first match among the positions it covered, or sets *covered to the first position left.
__attribute__((target("avx2"))) const uint8_t* FindWide(const uint8_t* text, size_t text_size,
                                                        const uint8_t* needle, size_t last,
                                                        size_t rare, size_t* covered) {
  const __m256i first_byte = _mm256_set1_epi8(static_cast<char>(needle[0]));
  const __m256i rare_byte = _mm256_set1_epi8(static_cast<char>(needle[rare]));
  const __m256i last_byte = _mm256_set1_epi8(static_cast<char>(needle[last]));
  size_t i = 0;
  for (; i + last + 32 <= text_size; i += 32) {
    const __m256i head = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i));
    const __m256i middle = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i + rare));
    const __m256i tail = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i + last));
    unsigned mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(
        _mm256_and_si256(_mm256_cmpeq_epi8(head, first_byte), _mm256_cmpeq_epi8(middle, rare_byte)),
        _mm256_cmpeq_epi8(tail, last_byte))));
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
  const size_t rare = RareBytePosition(needle, last);
  size_t i = 0;
#if defined(__x86_64__)
  if (kHasAvx2) {
    if (const uint8_t* hit = FindWide(text, text_size, needle, last, rare, &i)) return hit;
  }
#endif
#if defined(__SSE2__)
  // 16 candidate positions at a time: those where the first, the rare and the last byte of
  // the needle are in place; only they are compared in full.
  const __m128i first_byte = _mm_set1_epi8(static_cast<char>(needle[0]));
  const __m128i rare_byte = _mm_set1_epi8(static_cast<char>(needle[rare]));
  const __m128i last_byte = _mm_set1_epi8(static_cast<char>(needle[last]));
  for (; i + last + 16 <= text_size; i += 16) {
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    const __m128i middle = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + rare));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + last));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(
        _mm_and_si128(_mm_cmpeq_epi8(head, first_byte), _mm_cmpeq_epi8(middle, rare_byte)),
        _mm_cmpeq_epi8(tail, last_byte))));
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

const uint8_t* FindLastLiteral(const uint8_t* text, size_t text_size, const uint8_t* needle,
                               size_t needle_size) {
  if (needle_size == 0) return text + text_size;
  if (needle_size > text_size) return nullptr;
  // Candidates are the places of the needle's first byte, from the last possible start back.
  size_t limit = text_size - needle_size + 1;  // candidates lie in [0, limit)
  while (limit > 0) {
    const auto* at = static_cast<const uint8_t*>(memrchr(text, needle[0], limit));
    if (at == nullptr) return nullptr;
    if (std::memcmp(at + 1, needle + 1, needle_size - 1) == 0) return at;
    limit = static_cast<size_t>(at - text);
  }
  return nullptr;
}

}  // namespace farrowdale::regex
