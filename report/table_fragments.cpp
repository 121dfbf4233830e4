#include "report/table_fragments.h"

#include <algorithm>
#include <array>
#include <string>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "report/markup_text.h"
#include "report/passages_section.h"
#include "text/code_page.h"
#include "text/text_blocks.h"

namespace farrowdale {

namespace {

// Appends ASCII text to narrow or Unicode text, in one step rather than character by character.
template <typename Char>
void AppendWidened(std::basic_string<Char>& out, std::string_view ascii) {
  const size_t start = out.size();
  out.resize(start + ascii.size());
  std::copy(ascii.begin(), ascii.end(), out.begin() + static_cast<std::ptrdiff_t>(start));
}

}  // namespace

void AppendAscii(std::u16string& out, std::string_view ascii) { AppendWidened(out, ascii); }

void AppendDecimal(std::u16string& out, int64_t number) {
  AppendAscii(out, std::to_string(number));
}

void AppendNarrow(std::u16string& out, std::string_view narrow) {
  if (!narrow.empty()) out += ToUnicode(narrow);
}

void AppendRowOpener(std::u16string& out, int32_t n) {
  if (n % 2 != 0) {
    AppendAscii(out, "<tr>");
  } else {
    AppendAscii(out, "\n\r<tr class=\"o\">");
  }
}

void AppendNumberCell(std::u16string& out, int32_t n) {
  AppendAscii(out, "<td class=\"no\">");
  AppendDecimal(out, n);
  AppendAscii(out, "</td>");
}

void AppendNameCell(std::u16string& out, const TStatInfo& info) {
  AppendAscii(out, "<td class=\"n\">");
  AppendEscapedText(out, ToUnicode(info.Name), /*quotes_and_controls=*/false);
  AppendAscii(out, "</td>");
}

void AppendMarkerCell(std::u16string& out, const TStatInfo& info) {
  AppendAscii(out, "<td class=\"t\"><font color=\"");
  AppendAscii(out, MarkupColor(info.Color));
  AppendAscii(out, "\">");
  AppendNarrow(out, EscapeMarkers(info.Markers));
  AppendAscii(out, "</font></td>");
}

void AppendRowStart(std::u16string& out, int32_t n, const TStatInfo& info) {
  AppendRowOpener(out, n);
  AppendNumberCell(out, n);
  AppendNameCell(out, info);
  AppendMarkerCell(out, info);
}

std::string EscapeMarkers(std::string_view markers) {
  if (markers.find('<') == std::string_view::npos) return std::string(markers);
  std::string escaped;
  escaped.reserve(markers.size() + 8);
  for (char c : markers) {
    if (c == '<') {
      escaped += "&lt;";
    } else if (c == '>') {
      escaped += "&gt;";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

namespace {

// The first unit at or after p that text placed in markup cannot keep as it is: "&", "<" or
// ">"; with quotes_and_controls also '"' and every unit below U+0020. Between two such units
// text is appended whole.
const char16_t* FindUnitToEscape(const char16_t* p, const char16_t* end, bool quotes_and_controls) {
  // Without quotes and controls the fourth character looked for is "&" once more, and no unit
  // is below 0.
  const char16_t fourth = quotes_and_controls ? u'"' : u'&';
  const char16_t controls_below = quotes_and_controls ? 0x20 : 0;
#ifdef __SSE2__
  const __m128i ampersands = _mm_set1_epi16('&');
  const __m128i less_thans = _mm_set1_epi16('<');
  const __m128i greater_thans = _mm_set1_epi16('>');
  const __m128i fourths = _mm_set1_epi16(static_cast<short>(fourth));
  const __m128i limits = _mm_set1_epi16(static_cast<short>(controls_below));
  const __m128i zero = _mm_setzero_si128();
  while (end - p >= 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i special = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi16(units, ampersands), _mm_cmpeq_epi16(units, less_thans)),
        _mm_or_si128(_mm_cmpeq_epi16(units, greater_thans), _mm_cmpeq_epi16(units, fourths)));
    // The limit minus a unit, saturated at 0, is 0 only for units at or above the limit.
    const __m128i not_controls = _mm_cmpeq_epi16(_mm_subs_epu16(limits, units), zero);
    if (_mm_movemask_epi8(special) != 0 || _mm_movemask_epi8(not_controls) != 0xFFFF) break;
    p += 8;
  }
#endif
  while (p < end && *p >= controls_below && *p != '&' && *p != '<' && *p != '>' && *p != fourth) {
    ++p;
  }
  return p;
}

const char* FindUnitToEscape(const char* p, const char* end, bool quotes_and_controls) {
  const unsigned char controls_below = quotes_and_controls ? 0x20 : 0;
  while (p < end && static_cast<unsigned char>(*p) >= controls_below && *p != '&' && *p != '<' &&
         *p != '>' && !(quotes_and_controls && *p == '"')) {
    ++p;
  }
  return p;
}

// Appends the runs between the units to escape whole.
template <typename Char>
void AppendEscaped(std::basic_string<Char>& out, std::basic_string_view<Char> text,
                   bool quotes_and_controls) {
  const Char* p = text.data();
  const Char* const end = p + text.size();
  for (;;) {
    const Char* stop = FindUnitToEscape(p, end, quotes_and_controls);
    out.append(p, static_cast<size_t>(stop - p));
    if (stop == end) return;
    switch (*stop) {
      case '&':
        AppendWidened(out, "&amp;");
        break;
      case '<':
        AppendWidened(out, "&lt;");
        break;
      case '>':
        AppendWidened(out, "&gt;");
        break;
      case '"':
        AppendWidened(out, "&quot;");
        break;
      default:  // a control character
        out += Char{' '};
    }
    p = stop + 1;
  }
}

}  // namespace

std::u16string EscapeHtml(std::u16string_view text) {
  std::u16string escaped;
  escaped.reserve(text.size());
  AppendEscaped(escaped, text, /*quotes_and_controls=*/false);
  return escaped;
}

std::string EscapeHtml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  AppendEscaped(escaped, text, /*quotes_and_controls=*/false);
  return escaped;
}

void AppendEscapedText(std::u16string& out, std::u16string_view text, bool quotes_and_controls) {
  AppendEscaped(out, text, quotes_and_controls);
}

namespace {

// Narrow text reaches here only as ASCII, so a byte is never a no-break space.
bool IsPassageSpace(char16_t c) { return c < 0x20 || c == u' ' || c == u'\u00A0'; }
bool IsPassageSpace(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// At most this many units of a passage are escaped before the markup made so far is handed on,
// so that a passage of any length never has to be held whole as markup.
constexpr size_t kPassagePiece = 16 * 1024;

// AppendPassageText, calling hand_on() after every piece of escaped text and every mark of a
// run of spacing: hand_on may take the markup out of `out` (a report stream draining it).
// Templated on the unit so that an ASCII passage is shown from its narrow form, in narrow
// markup, as it would be from its Unicode text: every unit the function looks at is then
// ASCII, and what it appends is ASCII.
template <typename Char, typename HandOn>
void AppendPassageTextInPieces(std::basic_string<Char>& out, std::basic_string_view<Char> text,
                               bool quotes, HandOn hand_on) {
  size_t at = 0;
  while (at < text.size()) {
    // Up to the next spacing HTML would hide: a single space between words is shown as it is.
    size_t run = at;
    while (run < text.size() && (!IsPassageSpace(text[run]) ||
                                 (text[run] == Char{' '} &&
                                  (run + 1 == text.size() || !IsPassageSpace(text[run + 1]))))) {
      ++run;
    }
    // Escaping looks at one unit at a time, so the run may be cut anywhere.
    for (size_t piece = at; piece < run; piece += kPassagePiece) {
      AppendEscaped(out, text.substr(piece, std::min(kPassagePiece, run - piece)), quotes);
      hand_on();
    }
    if (run == text.size()) return;
    size_t end = run;
    while (end < text.size() && IsPassageSpace(text[end])) ++end;
    AppendWidened(out, "<span class=\"ws\">");
    for (size_t i = run; i < end; ++i) {
      switch (static_cast<char16_t>(text[i])) {
        case u' ':
          AppendWidened(out, "&#183;");
          break;
        case u'\t':
          AppendWidened(out, "&#8677;");
          break;
        case u'\r':
          if (i + 1 < end && text[i + 1] == Char{'\n'}) ++i;
          AppendWidened(out, "&#8629;");
          break;
        case u'\n':
          AppendWidened(out, "&#8629;");
          break;
        case u'\u00A0':
          AppendWidened(out, "&#9085;");
          break;
        default:
          out += Char{' '};
      }
      hand_on();
    }
    AppendWidened(out, "</span>");
    at = end;
  }
}

}  // namespace

void AppendPassageText(std::u16string& out, std::u16string_view text, bool quotes) {
  AppendPassageTextInPieces<char16_t>(out, text, quotes, [] {});
}

namespace {

// Whether the character of a kept form that ends or starts at byte `at` is one that
// AppendPassageTextInPieces treats as spacing (below 0x20, a space, a no-break space).
bool SpacingEndsAt(std::string_view form, size_t at) {
  return static_cast<unsigned char>(form[at - 1]) <= 0x20 ||
         (at >= 2 && form.substr(at - 2, 2) == "\xC2\xA0");
}
bool SpacingStartsAt(std::string_view form, size_t at) {
  return static_cast<unsigned char>(form[at]) <= 0x20 || form.substr(at, 2) == "\xC2\xA0";
}

// Appends entry `at` of list as AppendPassageText shows it (quotes off), converting a long
// text piece by piece: a piece ends between two characters neither of which is spacing, where
// the markup of the pieces is that of the whole.
template <typename HandOn>
void AppendListText(std::u16string& out, const TFrequencyList& list, size_t at, HandOn hand_on) {
  constexpr size_t kWholeBytes = 64 * 1024;
  const std::string_view form = list.Form(at);
  std::u16string piece;
  size_t start = 0;
  while (start < form.size()) {
    size_t end = form.size();
    if (end - start > kWholeBytes) {
      end = start + kWholeBytes;
      // A character starts at end, and neither it nor the one before it is spacing.
      while (end < form.size() && ((static_cast<unsigned char>(form[end]) & 0xC0) == 0x80 ||
                                   SpacingEndsAt(form, end) || SpacingStartsAt(form, end))) {
        ++end;
      }
    }
    piece.clear();
    AppendFromKeptForm(form.substr(start, end - start), piece);
    AppendPassageTextInPieces<char16_t>(out, piece, /*quotes=*/false, hand_on);
    start = end;
  }
}

// An entry whose kept form is ASCII up to this many bytes is shown from that form, as narrow
// markup handed to the stream whole.
constexpr size_t kLongestNarrowEntry = 4096;

bool IsAscii(std::string_view form) {
  return std::all_of(form.begin(), form.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The ASCII bytes a passage shows as they are: printable, not escaped.
constexpr std::array<bool, 256> kShownAsItIs = [] {
  std::array<bool, 256> shown{};
  for (size_t byte = 0x21; byte < 0x80; ++byte)
    shown[byte] = byte != '&' && byte != '<' && byte != '>';
  return shown;
}();

// Whether AppendPassageTextInPieces shows an ASCII passage as the passage itself: every byte is
// shown as it is, or is a space that spacing does not follow (a single space, which is not
// marked). Most passages are words with single spaces between them.
bool IsShownAsItIs(std::string_view form) {
  size_t i = 0;
#ifdef __SSE2__
  // Sixteen bytes at a time, each with the byte after it: as signed bytes, those below 0x21
  // are spacing, controls and bytes beyond ASCII.
  const __m128i first_shown = _mm_set1_epi8(0x21);
  const __m128i space = _mm_set1_epi8(' ');
  const __m128i ampersand = _mm_set1_epi8('&');
  const __m128i less = _mm_set1_epi8('<');
  const __m128i greater = _mm_set1_epi8('>');
  for (; i + 17 <= form.size(); i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(form.data() + i));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(form.data() + i + 1));
    const __m128i spaces = _mm_cmpeq_epi8(bytes, space);
    __m128i care = _mm_cmplt_epi8(bytes, first_shown);
    care = _mm_or_si128(
        care, _mm_or_si128(_mm_cmpeq_epi8(bytes, ampersand), _mm_cmpeq_epi8(bytes, less)));
    care = _mm_andnot_si128(spaces, _mm_or_si128(care, _mm_cmpeq_epi8(bytes, greater)));
    const __m128i spacing_after_space = _mm_and_si128(spaces, _mm_cmplt_epi8(next, first_shown));
    if (_mm_movemask_epi8(_mm_or_si128(care, spacing_after_space)) != 0) return false;
  }
#endif
  for (; i < form.size(); ++i) {
    const auto byte = static_cast<unsigned char>(form[i]);
    if (kShownAsItIs[byte]) continue;
    if (byte != ' ' || (i + 1 < form.size() && static_cast<unsigned char>(form[i + 1]) <= 0x20)) {
      return false;
    }
  }
  return true;
}

}  // namespace

void WriteHitList(TReportStream& out, const TFrequencyList& list, THitListStyle style,
                  int32_t link_row) {
  const std::string_view closer = style == THitListStyle::kPerFile ? ") <br>" : ")<br>";
  int32_t number = 0;
  const auto drain = [&out] { out.Drain(); };
  // Most passages are ASCII: the kept form of an ASCII text is that text, byte for byte, and
  // its markup is ASCII, which the stream takes without converting it to Unicode and back.
  // The markup of ASCII entries in a row is handed over a few KiB at a time.
  std::string markup;
  const auto hand_over = [&] {
    out.AppendAsciiMarkup(markup);
    markup.clear();
  };
  for (size_t at = 0; at < list.size(); ++at) {
    // The combined report's passages section lists the first kListedPassages of a tag.
    const bool listed = style == THitListStyle::kPerFile || number < kListedPassages;
    const bool linked = link_row > 0 && listed;
    const std::string_view form = list.Form(at);
    const bool narrow = form.size() <= kLongestNarrowEntry;
    const bool shown_as_it_is = narrow && IsShownAsItIs(form);
    if (shown_as_it_is || (narrow && IsAscii(form))) {
      if (linked) markup += "<a href=\"#" + PassageAnchor(link_row, ++number) + "\">";
      if (shown_as_it_is) {
        markup += form;
      } else {
        AppendPassageTextInPieces<char>(markup, form, /*quotes=*/false, [] {});
      }
      if (linked) markup += "</a>";
      markup += " (";
      markup += std::to_string(list.Count(at));
      markup += closer;
      if (markup.size() >= kLongestNarrowEntry) hand_over();
      continue;
    }
    if (!markup.empty()) hand_over();
    std::u16string& text = out.unicode();
    if (linked) {
      AppendAscii(text, "<a href=\"#" + PassageAnchor(link_row, ++number) + "\">");
      AppendListText(text, list, at, drain);
      AppendAscii(text, "</a>");
    } else {
      AppendListText(text, list, at, drain);
    }
    AppendAscii(text, " (");
    AppendDecimal(text, list.Count(at));
    AppendAscii(text, closer);
    out.Drain();
  }
  if (!markup.empty()) hand_over();
}

}  // namespace farrowdale
