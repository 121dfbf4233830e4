#include "regex/search.h"

#include <cstring>

namespace farrowdale::regex {

bool SearchSubject(const SearchHints& hints, const SubjectView& subject, int32_t start,
                   Matcher& matcher) {
  matcher.ClearCaptures();
  const uint8_t* text = subject.text;
  const int32_t length = subject.length;
  if (!hints.must_contain.empty() && memmem(text + start, length - start, hints.must_contain.data(),
                                            hints.must_contain.size()) == nullptr) {
    return false;
  }
  if (hints.anchored) return matcher.MatchAt(start);
  if (hints.start_char != 0) {
    // Every match begins with the first literal: try only where it occurs.
    const std::string_view literal = hints.start_literal;
    for (int32_t p = start; p < length;) {
      const void* hit = literal.size() == 1
                            ? std::memchr(text + p, hints.start_char, length - p)
                            : memmem(text + p, length - p, literal.data(), literal.size());
      if (hit == nullptr) return false;
      const int32_t q = static_cast<int32_t>(static_cast<const uint8_t*>(hit) - text);
      if (matcher.MatchAt(q)) return true;
      p = q + 1;
    }
    return false;
  }
  const ByteSet& lead = hints.lead_chars;
  if (lead.IsFull()) {
    for (int32_t p = start; p <= length; ++p) {
      if (matcher.MatchAt(p)) return true;
    }
    return false;
  }
  for (int32_t p = start; p <= length; ++p) {
    if (lead.Has(text[p]) && matcher.MatchAt(p)) return true;  // text[length] is the zero
  }
  return false;
}

}  // namespace farrowdale::regex
