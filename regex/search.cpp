#include "regex/search.h"

#include "regex/literal_search.h"

namespace farrowdale::regex {

bool SearchSubject(const SearchHints& hints, const SubjectView& subject, int32_t start,
                   Matcher& matcher) {
  matcher.ClearCaptures();
  const uint8_t* text = subject.text;
  const int32_t length = subject.length;
  if (!hints.must_contain.empty() &&
      FindLiteral(text + start, length - start,
                  reinterpret_cast<const uint8_t*>(hints.must_contain.data()),
                  hints.must_contain.size()) == nullptr) {
    return false;
  }
  if (hints.anchored) return matcher.MatchAt(start);
  if (hints.start_char != 0) {
    // Every match begins with the first literal: try only where it occurs.
    const auto* literal = reinterpret_cast<const uint8_t*>(hints.start_literal.data());
    for (int32_t p = start; p < length;) {
      const uint8_t* hit = FindLiteral(text + p, length - p, literal, hints.start_literal.size());
      if (hit == nullptr) return false;
      const int32_t q = static_cast<int32_t>(hit - text);
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
