// One file's coding as text and intervals: the text with the markers of its passages
// removed, and each tag's passages as intervals of that text. The inter-coder comparison
// aligns two coders' copies on it, and the exchange export writes it out as a source with
// one selection per passage.
//
// What is removed: every begin and end marker match that delimits a passage of any tag (the
// union of those spans), so markers of other tags inside a passage go too, and the markers of
// an empty passage go as well. Stray markers (a begin without an end, a same-tag begin inside
// a passage) stay as text and are counted as problems. CR LF and a lone CR become LF.
//
// Positions are Unicode code points of the stripped text, counted from 0, ends exclusive.
//
// REQUIRES: the system code page is the one narrow_text was converted to, and scanner was
// built from tag_set under it. StripMarkers and StrippedIntervals are safe to call from
// several threads at once.
#ifndef FARROWDALE_COUNT_STRIPPED_TEXT_H_
#define FARROWDALE_COUNT_STRIPPED_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "count/coded_intervals.h"
#include "count/tag_scanner.h"
#include "tagset/tag_set.h"
#include "text/text_position.h"

namespace farrowdale {

// One passage as an interval of the stripped text: the characters its trimmed passage
// covers, without the blanks (codes 32 and below) that stand at its edges once markers of
// other tags there are removed (empty when the passage held nothing but such markers).
// passage is the passage as a run counts it (trimmed, narrow text).
struct TCodedInterval {
  int64_t start = 0;
  int64_t end = 0;
  std::string passage;
  bool operator==(const TCodedInterval&) const = default;
};

struct TStrippedText {
  // The stripped text, one element per code point, LF line ends.
  std::u32string text;
  // Per tag of the tag set, in tag order (a skipped tag's list stays empty): the passages
  // that are not empty after trimming, ordered by start.
  std::vector<std::vector<TCodedInterval>> tags;
  // Passages found but empty after trimming (their markers are removed all the same).
  int64_t empty_passages = 0;
  // Markers left in the text because they delimit no passage: where each begins in the
  // original text, and the tag it belongs to.
  struct TStrayMarker {
    TTextPosition place;
    size_t tag = 0;
  };
  std::vector<TStrayMarker> stray_markers;
  // Where the code point at offset (0 <= offset <= text.size(); text.size() is the place
  // after the last one) stands in the original text: 1-based line and column in characters.
  TTextPosition OriginalPlace(int64_t offset) const;

  // The stripped text as UTF-8.
  std::string Utf8() const;

  // Kept compact (one entry per removed span or changed line end, not per character) so
  // that a large file costs little beyond its text. Filled by StripMarkers.
  struct TRemoval {
    int64_t stripped_offset = 0;  // where in text the removal happened
    int64_t original_offset = 0;  // code points of the original text before it
  };
  std::vector<TRemoval> removals;
  // Code point offsets of the original text's line starts, the first one 0.
  std::vector<int64_t> original_line_starts;
};

// Code points as UTF-8 (an unpaired surrogate as U+FFFD).
std::string CodePointsUtf8(std::u32string_view code_points);

TStrippedText StripMarkers(std::string_view narrow_text, const TTagArray& tag_set,
                           const TTagScanner& scanner);
// The same from the scan of narrow_text a run already made (scanner.ScanWithMarkerHits):
// nothing is searched again but markers that are no plain literal.
TStrippedText StripMarkers(std::string_view narrow_text, const TTagArray& tag_set,
                           const TScannedText& scanned);

// Per tag of the tag set, in tag order: the start and end of each interval StripMarkers gives
// for the same text and scan, without making the stripped text or the passages. What it keeps
// grows with the passages and markers, not with the text.
std::vector<std::vector<TInterval>> StrippedIntervals(std::string_view narrow_text,
                                                      const TTagArray& tag_set,
                                                      const TScannedText& scanned);

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_STRIPPED_TEXT_H_
