// The stripped text: one pass over the narrow text cut at every byte offset that matters
// (the edges of removed marker spans, of trimmed passages and of stray markers), decoding the
// pieces in order so that each cut learns its offset in both the original and the stripped
// code points.
#include "count/stripped_text.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "count/marker_check.h"
#include "count/tagged_text.h"
#include "text/code_page.h"
#include "text/trim.h"

namespace farrowdale {
namespace {

struct TByteSpan {
  size_t start = 0;
  size_t end = 0;
};

bool IsTrimmedAway(char32_t c) { return c <= 32; }

// The union of the spans, sorted, touching spans joined.
std::vector<TByteSpan> Merged(std::vector<TByteSpan> spans) {
  std::sort(spans.begin(), spans.end(),
            [](const TByteSpan& a, const TByteSpan& b) { return a.start < b.start; });
  std::vector<TByteSpan> merged;
  for (const TByteSpan& span : spans) {
    if (span.start == span.end) continue;
    if (!merged.empty() && span.start <= merged.back().end) {
      merged.back().end = std::max(merged.back().end, span.end);
    } else {
      merged.push_back(span);
    }
  }
  return merged;
}

bool Overlaps(const TMarkerHit& hit, const TByteSpan& span) {
  return hit.start < span.end && span.start < hit.end;
}

// True when the hit overlaps one of spans (sorted, disjoint); next is where the search for
// the previous, earlier hit stopped.
bool OverlapsAny(const TMarkerHit& hit, const std::vector<TByteSpan>& spans, size_t& next) {
  while (next < spans.size() && spans[next].end <= hit.start) ++next;
  return next < spans.size() && Overlaps(hit, spans[next]);
}

// The marker hits of one tag that delimit none of its passages: begin markers first, then
// end markers that do not stand where a stray begin marker does (a tag whose markers are the
// same), by start.
std::vector<TMarkerHit> StrayHits(const std::vector<TMarkerHit>& begins,
                                  const std::vector<TMarkerHit>& ends,
                                  const std::vector<TByteSpan>& marker_spans) {
  std::vector<TMarkerHit> stray_begins;
  size_t next = 0;
  for (const TMarkerHit& hit : begins) {
    if (!OverlapsAny(hit, marker_spans, next)) stray_begins.push_back(hit);
  }
  std::vector<TMarkerHit> stray = stray_begins;
  std::vector<TByteSpan> begin_spans;
  for (const TMarkerHit& hit : stray_begins) begin_spans.push_back({hit.start, hit.end});
  size_t next_marker = 0;
  size_t next_begin = 0;
  for (const TMarkerHit& hit : ends) {
    if (OverlapsAny(hit, marker_spans, next_marker)) continue;
    if (OverlapsAny(hit, begin_spans, next_begin)) continue;
    stray.push_back(hit);
  }
  std::sort(stray.begin(), stray.end(),
            [](const TMarkerHit& a, const TMarkerHit& b) { return a.start < b.start; });
  return stray;
}

// Walks the narrow text piece by piece, counting the code points kept (line ends made LF) and
// the original ones, and noting where the last blank-free stretch of kept code points ends.
// With a stripped text to fill, it also appends the kept code points to it and notes where the
// two texts part ways and where lines begin; without one it keeps nothing, and a removed piece
// is not even decoded. Each piece decodes on its own, as ToUnicode decodes it, in chunks so
// that a long piece costs no more than a chunk's code units.
class TStripWalk {
 public:
  explicit TStripWalk(TStrippedText* out) : out_(out) {
    if (out_) out_->original_line_starts = {0};
  }

  void Take(std::string_view piece, bool kept) {
    piece_first_nonblank_ = -1;
    if (!kept && !out_) return;
    constexpr size_t kChunk = 64 * 1024;
    for (size_t at = 0; at < piece.size(); at += kChunk) {
      units_.clear();
      decoder_.Decode(piece.substr(at, kChunk), &units_);
      TakeUnits(kept);
    }
    units_.clear();
    decoder_.Finish(&units_);
    TakeUnits(kept);
    if (high_surrogate_) TakeCodePoint(std::exchange(high_surrogate_, 0), kept);
  }

  // Closes the walk: the place after the last code point maps like any other.
  void Finish() {
    if (out_ && after_cr_) out_->original_line_starts.push_back(original_size_);
    Sync();
  }

  int64_t stripped_size() const { return stripped_size_; }
  int64_t original_size() const { return original_size_; }
  // The stripped offset after the last kept code point above 32, 0 before the first.
  int64_t nonblank_end() const { return nonblank_end_; }
  // The stripped offset of the first kept code point above 32 of the last piece taken, or -1.
  int64_t piece_first_nonblank() const { return piece_first_nonblank_; }

 private:
  // The decoded units of the piece so far, a surrogate pair as one code point even when a
  // chunk ends between its halves.
  void TakeUnits(bool kept) {
    for (const char16_t unit : units_) {
      if (high_surrogate_) {
        const char32_t high = std::exchange(high_surrogate_, 0);
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
          TakeCodePoint(0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00), kept);
          continue;
        }
        TakeCodePoint(high, kept);
      }
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        high_surrogate_ = unit;
      } else {
        TakeCodePoint(unit, kept);
      }
    }
  }

  void TakeCodePoint(char32_t c, bool kept) {
    if (out_) NoteLineEnd(c);
    if (kept) {
      Keep(c);
    } else {
      in_sync_ = false;
    }
    ++original_size_;
  }

  // CR LF is one line end, as the original text's lines are counted.
  void NoteLineEnd(char32_t c) {
    if (after_cr_ && c != U'\n') out_->original_line_starts.push_back(original_size_);
    if (c == U'\n') out_->original_line_starts.push_back(original_size_ + 1);
    after_cr_ = c == U'\r';
  }

  // A CR becomes LF and stands for its line end, so an LF right after it in the stripped
  // text (whatever was removed between them) goes.
  void Keep(char32_t c) {
    if (c == U'\n' && kept_cr_) {
      kept_cr_ = false;
      in_sync_ = false;
      return;
    }
    kept_cr_ = c == U'\r';
    Sync();
    if (!IsTrimmedAway(c)) {
      if (piece_first_nonblank_ < 0) piece_first_nonblank_ = stripped_size_;
      nonblank_end_ = stripped_size_ + 1;
    }
    if (out_) out_->text.push_back(kept_cr_ ? U'\n' : c);
    ++stripped_size_;
  }

  // Notes where the next stripped code point stands in the original text, after a removal.
  void Sync() {
    if (in_sync_) return;
    in_sync_ = true;
    if (!out_) return;
    const TStrippedText::TRemoval removal{stripped_size_, original_size_};
    if (!out_->removals.empty() && out_->removals.back().stripped_offset == stripped_size_) {
      out_->removals.back() = removal;
    } else {
      out_->removals.push_back(removal);
    }
  }

  TStrippedText* out_;
  TNarrowDecoder decoder_;
  std::u16string units_;
  char16_t high_surrogate_ = 0;  // a first surrogate waiting for its second
  int64_t stripped_size_ = 0;
  int64_t original_size_ = 0;
  int64_t nonblank_end_ = 0;
  int64_t piece_first_nonblank_ = -1;
  bool after_cr_ = false;  // the last original code point was CR
  bool kept_cr_ = false;   // the last stripped code point was a CR made LF
  bool in_sync_ = true;    // the last removal has been noted
};

// Where a tag's passages and stray markers lie in the narrow text, in bytes.
struct TTagBytes {
  size_t tag = 0;
  std::vector<TByteSpan> trimmed;  // per passage: its text trimmed, empty when blank
  std::vector<TMarkerHit> stray;
};

// What a strip removes and keeps, in bytes of the narrow text, and where its walk cuts the
// text: at the edges of removed marker spans, of trimmed passages and at stray markers.
struct TStripPlan {
  std::vector<TTagBytes> tags;     // the tags not skipped, in tag order
  std::vector<TByteSpan> removed;  // merged
  std::vector<size_t> cuts;        // not sorted, with repeats
};

// What the walk found at each cut, found by byte offset.
class TCutMap {
 public:
  explicit TCutMap(std::vector<size_t> cuts) : cuts_(std::move(cuts)) {
    std::sort(cuts_.begin(), cuts_.end());
    cuts_.erase(std::unique(cuts_.begin(), cuts_.end()), cuts_.end());
    places_.resize(cuts_.size());
  }

  const std::vector<size_t>& cuts() const { return cuts_; }
  // Notes where the walk stands at the index-th cut, and what it found in the piece before.
  void Note(size_t index, const TStripWalk& walk) {
    places_[index] = {walk.stripped_size(), walk.original_size(), walk.nonblank_end(), -1};
    if (index > 0) places_[index - 1].first_nonblank = walk.piece_first_nonblank();
  }
  // Once the walk is done: the first non-blank code point at or after each cut.
  void Finish() {
    int64_t next = places_.empty() ? 0 : places_.back().stripped;
    for (auto place = places_.rbegin(); place != places_.rend(); ++place) {
      if (place->first_nonblank >= 0) next = place->first_nonblank;
      place->first_nonblank = next;
    }
  }
  int64_t Stripped(size_t byte_offset) const { return At(byte_offset).stripped; }
  int64_t Original(size_t byte_offset) const { return At(byte_offset).original; }

  // The interval of the stripped text that the trimmed passage [start, end) (bytes) shows:
  // what it keeps without the code points of 32 and below at its edges, that markers removed
  // there may have laid bare; an empty interval at its end when it keeps nothing else.
  TInterval Visible(const TByteSpan& trimmed) const {
    const TPlace& start = At(trimmed.start);
    const TPlace& end = At(trimmed.end);
    if (start.first_nonblank >= end.stripped) return {end.stripped, end.stripped};
    return {start.first_nonblank, end.nonblank_end};
  }

 private:
  struct TPlace {
    int64_t stripped = 0;
    int64_t original = 0;
    int64_t nonblank_end = 0;    // after the last code point above 32 before the cut
    int64_t first_nonblank = 0;  // of the first code point above 32 at or after the cut
  };

  const TPlace& At(size_t byte_offset) const {
    return places_[static_cast<size_t>(std::lower_bound(cuts_.begin(), cuts_.end(), byte_offset) -
                                       cuts_.begin())];
  }

  std::vector<size_t> cuts_;
  std::vector<TPlace> places_;
};

TTextPosition PlaceOfOriginal(const std::vector<int64_t>& line_starts, int64_t original) {
  const auto line = std::upper_bound(line_starts.begin(), line_starts.end(), original) - 1;
  return TTextPosition{static_cast<int32_t>(line - line_starts.begin() + 1),
                       static_cast<int32_t>(original - *line + 1)};
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;  // an unpaired surrogate
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

TTextPosition TStrippedText::OriginalPlace(int64_t offset) const {
  const auto after = std::upper_bound(
      removals.begin(), removals.end(), offset,
      [](int64_t value, const TRemoval& removal) { return value < removal.stripped_offset; });
  int64_t original = offset;
  if (after != removals.begin()) {
    const TRemoval& removal = *(after - 1);
    original = removal.original_offset + (offset - removal.stripped_offset);
  }
  return PlaceOfOriginal(original_line_starts, original);
}

std::string TStrippedText::Utf8() const { return CodePointsUtf8(text); }

std::string CodePointsUtf8(std::u32string_view code_points) {
  std::string out;
  out.reserve(code_points.size());
  for (const char32_t c : code_points) AppendUtf8(c, out);
  return out;
}

TStrippedText StripMarkers(std::string_view narrow_text, const TTagArray& tag_set,
                           const TTagScanner& scanner) {
  // The scanner wants the text as a string.
  return StripMarkers(narrow_text, tag_set, scanner.ScanWithMarkerHits(std::string(narrow_text)));
}

namespace {

TStripPlan PlanStrip(std::string_view text, const TTagArray& tag_set, const TScannedText& scanned) {
  // A copy for the search of a marker the scan did not find, made at the first such marker.
  std::optional<std::string> copy;
  const auto searched = [&]() -> const std::string& {
    if (!copy) copy.emplace(text);
    return *copy;
  };

  TStripPlan plan;
  plan.cuts = {0, text.size()};
  size_t k = 0;
  for (size_t t = 0; t < tag_set.size(); ++t) {
    if (IsSkippedTag(tag_set[t])) continue;
    TTagBytes& bytes = plan.tags.emplace_back(TTagBytes{t, {}, {}});
    std::vector<TByteSpan> marker_spans;
    for (const TPassageSpan& span : scanned.spans[k]) {
      marker_spans.push_back({span.begin_marker, span.text_begin});
      marker_spans.push_back({span.text_end, span.end_marker_end});
      plan.cuts.insert(plan.cuts.end(),
                       {span.begin_marker, span.text_begin, span.text_end, span.end_marker_end});
      const std::string_view trimmed =
          Trim(text.substr(span.text_begin, span.text_end - span.text_begin));
      const size_t trimmed_start = static_cast<size_t>(trimmed.data() - text.data());
      bytes.trimmed.push_back({trimmed_start, trimmed_start + trimmed.size()});
      if (!trimmed.empty())
        plan.cuts.insert(plan.cuts.end(), {trimmed_start, trimmed_start + trimmed.size()});
    }
    plan.removed.insert(plan.removed.end(), marker_spans.begin(), marker_spans.end());
    const std::vector<TMarkerHit>* begins = scanned.BeginMarkerHits(k);
    const std::vector<TMarkerHit>* ends = scanned.EndMarkerHits(k);
    bytes.stray =
        StrayHits(begins ? *begins : FindMarkerHits(BeginMarkerPattern(tag_set[t]), searched()),
                  ends ? *ends : FindMarkerHits(tag_set[t].EndMark, searched()),
                  Merged(std::move(marker_spans)));
    for (const TMarkerHit& hit : bytes.stray) plan.cuts.push_back(hit.start);
    ++k;
  }
  plan.removed = Merged(std::move(plan.removed));
  return plan;
}

// Walks the text from cut to cut, keeping what the plan does not remove.
TCutMap WalkPlan(std::string_view text, TStripPlan& plan, TStripWalk& walk) {
  TCutMap map(std::move(plan.cuts));
  size_t next_removed = 0;
  const std::vector<size_t>& at = map.cuts();
  for (size_t i = 0; i < at.size(); ++i) {
    map.Note(i, walk);
    if (i + 1 == at.size()) break;
    while (next_removed < plan.removed.size() && plan.removed[next_removed].end <= at[i])
      ++next_removed;
    const bool kept =
        next_removed == plan.removed.size() || plan.removed[next_removed].start > at[i];
    walk.Take(text.substr(at[i], at[i + 1] - at[i]), kept);
  }
  walk.Finish();
  map.Finish();
  return map;
}

// The engine's subject ends at the first zero byte, and so does what is stripped.
std::string_view UpToZeroByte(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

TStrippedText StripMarkers(std::string_view whole_text, const TTagArray& tag_set,
                           const TScannedText& scanned) {
  const std::string_view text = UpToZeroByte(whole_text);
  TStripPlan plan = PlanStrip(text, tag_set, scanned);
  TStrippedText stripped;
  stripped.tags.resize(tag_set.size());
  TStripWalk walk(&stripped);
  const TCutMap map = WalkPlan(text, plan, walk);

  for (const TTagBytes& bytes : plan.tags) {
    for (const TByteSpan& trimmed : bytes.trimmed) {
      if (trimmed.start == trimmed.end) {
        ++stripped.empty_passages;
        continue;
      }
      const TInterval visible = map.Visible(trimmed);
      stripped.tags[bytes.tag].push_back(
          {visible.start, visible.end,
           std::string(text.substr(trimmed.start, trimmed.end - trimmed.start))});
    }
    for (const TMarkerHit& hit : bytes.stray) {
      stripped.stray_markers.push_back(
          {PlaceOfOriginal(stripped.original_line_starts, map.Original(hit.start)), bytes.tag});
    }
  }
  std::stable_sort(stripped.stray_markers.begin(), stripped.stray_markers.end(),
                   [](const TStrippedText::TStrayMarker& a, const TStrippedText::TStrayMarker& b) {
                     return a.place.line != b.place.line ? a.place.line < b.place.line
                                                         : a.place.column < b.place.column;
                   });
  return stripped;
}

std::vector<std::vector<TInterval>> StrippedIntervals(std::string_view whole_text,
                                                      const TTagArray& tag_set,
                                                      const TScannedText& scanned) {
  const std::string_view text = UpToZeroByte(whole_text);
  TStripPlan plan = PlanStrip(text, tag_set, scanned);
  TStripWalk walk(nullptr);
  const TCutMap map = WalkPlan(text, plan, walk);
  std::vector<std::vector<TInterval>> intervals(tag_set.size());
  for (const TTagBytes& bytes : plan.tags) {
    for (const TByteSpan& trimmed : bytes.trimmed) {
      if (trimmed.start != trimmed.end) intervals[bytes.tag].push_back(map.Visible(trimmed));
    }
  }
  return intervals;
}

}  // namespace farrowdale
