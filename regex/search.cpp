#include "regex/search.h"

#include "regex/byte_search.h"
#include "regex/error_text.h"
#include "regex/literal_search.h"

namespace farrowdale::regex {

bool SearchSubject(const SearchHints& hints, const SubjectView& subject, int32_t start,
                   Matcher& matcher, MustContainCache& must_contain, StartCandidates* candidates,
                   int32_t* attempt) {
  matcher.ClearCaptures();
  matcher.BeginSearch(start);
  const uint8_t* text = subject.text;
  const int32_t length = subject.length;
  if (!hints.must_contain.empty()) {
    // Searched from the end once per subject: the last occurrence is usually near it, and a
    // scan from each search start would read the text a second time over a run of ExecNext.
    if (!must_contain.known) {
      const uint8_t* last =
          FindLastLiteral(text, length, reinterpret_cast<const uint8_t*>(hints.must_contain.data()),
                          hints.must_contain.size());
      must_contain.last = last == nullptr ? -1 : static_cast<int32_t>(last - text);
      must_contain.known = true;
    }
    if (must_contain.last < start) return false;
  }
  if (hints.anchored) return matcher.MatchAt(start);
  if (hints.start_char != 0 && candidates != nullptr) {
    // Every match begins with the first literal, and the caller knows where it occurs.
    const std::span<const size_t> positions = candidates->positions;
    size_t& next = candidates->next;
    while (next < positions.size() && positions[next] < static_cast<size_t>(start)) ++next;
    for (size_t i = next; i < positions.size(); ++i) {
      *attempt = static_cast<int32_t>(positions[i]);
      if (matcher.MatchAt(*attempt)) return true;
    }
    return false;
  }
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
  uint8_t few[3];
  int count = 0;
  for (int c = 1; c < 256 && count <= 3; ++c) {
    if (lead.Has(static_cast<uint8_t>(c)) && count++ < 3) few[count - 1] = static_cast<uint8_t>(c);
  }
  if (count >= 1 && count <= 3) {
    // Few possible first bytes: found sixteen at a time instead of tested one by one.
    for (int32_t p = start; p < length;) {
      const uint8_t* hit = FindAnyOfFew(text + p, length - p, few, count);
      if (hit == nullptr) break;
      const int32_t q = static_cast<int32_t>(hit - text);
      if (matcher.MatchAt(q)) return true;
      p = q + 1;
    }
    return lead.Has(0) && matcher.MatchAt(length);  // bit 0: a match may begin at the end
  }
  for (int32_t p = start; p <= length; ++p) {
    if (lead.Has(text[p]) && matcher.MatchAt(p)) return true;  // text[length] is the zero
  }
  return false;
}

bool SearchParts::SearchFrom(const Program& program, const SearchHints& hints, int offset) {
  matcher.ClearCaptures();
  if (program.code.empty() || program.code[0] != kProgramMagic) {
    throw MakePatternError(kErrCorruptedProgram, 0);
  }
  if (offset < 1) throw MakePatternError(kErrOffsetBelowOne, 0);
  if (offset > view.length + 1) return false;
  matcher.Prepare(program, view);
  attempt = offset - 1;
  const bool found = SearchSubject(hints, view, offset - 1, matcher, must_contain,
                                   candidates ? &*candidates : nullptr, &attempt);
  matcher.ReleaseSpareMemory();
  return found;
}

int SearchParts::MatchPos(int slot) const {
  if (slot < 0 || slot >= kCaptureSlots) return -1;
  const int32_t start = matcher.CaptureStart(slot);
  const int32_t end = matcher.CaptureEnd(slot);
  if (start == Matcher::kUnset || end == Matcher::kUnset || end < start) return -1;
  return start + 1;
}

int SearchParts::MatchLen(int slot) const {
  if (MatchPos(slot) < 0) return -1;
  return matcher.CaptureEnd(slot) - matcher.CaptureStart(slot);
}

int SearchParts::NextOffset() const {
  const int32_t start = matcher.CaptureStart(0);
  const int32_t end = matcher.CaptureEnd(0);
  if (start == Matcher::kUnset || end == Matcher::kUnset) {
    throw MakePatternError(kErrExecNextWithoutExec, 0);
  }
  return end + 1 + (start == end ? 1 : 0);
}

}  // namespace farrowdale::regex
