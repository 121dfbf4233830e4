// Splitting pieces of text into lines without copying whole texts.
#include "text/line_splitter.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace farrowdale {

// All three stops lie below 0x0E, so one test (8 units at a time where SSE2 is there) passes
// nearly every character.
const char16_t* FindLineStop(const char16_t* p, const char16_t* end) {
#ifdef __SSE2__
  const __m128i zero = _mm_setzero_si128();
  const __m128i below = _mm_set1_epi16(u'\r');
  while (end - p >= 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // A unit minus 13, saturated at 0, is 0 only for units up to 13.
    const __m128i low = _mm_cmpeq_epi16(_mm_subs_epu16(units, below), zero);
    if (_mm_movemask_epi8(low) != 0) break;
    p += 8;
  }
#endif
  while (p < end && (*p > u'\r' || (*p != u'\r' && *p != u'\n' && *p != u'\0'))) ++p;
  return p;
}

bool LineSplitter::Feed(std::u16string_view piece) {
  if (ended_) return false;
  const char16_t* p = piece.data();
  const char16_t* const end = p + piece.size();
  if (after_cr_ && p < end) {
    after_cr_ = false;
    if (*p == u'\n') ++p;
  }
  while (p < end) {
    const char16_t* q = FindLineStop(p, end);
    if (q == end || *q == u'\0') {
      partial_.append(p, q);
      if (q == end) return true;
      ended_ = true;
      return false;
    }
    if (partial_.empty()) {
      lines_->emplace_back(p, q);
    } else {
      partial_.append(p, q);
      lines_->push_back(std::move(partial_));
      partial_.clear();
    }
    if (*q == u'\r') {
      if (q + 1 == end) after_cr_ = true;
      if (q + 1 < end && q[1] == u'\n') ++q;
    }
    p = q + 1;
  }
  return true;
}

void LineSplitter::Finish() {
  if (!partial_.empty()) lines_->push_back(std::move(partial_));
  partial_.clear();
}

}  // namespace farrowdale
