// The stripped text and its intervals: one pass over the narrow text cut at every byte
// offset that matters (the edges of removed marker spans, of trimmed passages and of stray
// markers), taken in order from each tag's own lists, decoding the pieces in order so that
// each cut learns its offset in both the original and the stripped code points.
#include "count/stripped_text.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <queue>
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

bool Overlaps(const TMarkerHit& hit, const TByteSpan& span) {
  return hit.start < span.end && span.start < hit.end;
}

// The marker spans of one tag's passages, in order, without a copy: each passage's begin
// marker, then its end marker.
class TMarkerSpans {
 public:
  explicit TMarkerSpans(const std::vector<TPassageSpan>& spans) : spans_(spans) {}
  size_t size() const { return 2 * spans_.size(); }
  TByteSpan operator[](size_t i) const {
    const TPassageSpan& span = spans_[i / 2];
    return i % 2 == 0 ? TByteSpan{span.begin_marker, span.text_begin}
                      : TByteSpan{span.text_end, span.end_marker_end};
  }

 private:
  const std::vector<TPassageSpan>& spans_;
};

// True when the hit overlaps one of spans (in order, none overlapping the next, an empty one
// overlapping nothing); next is where the search for the previous, earlier hit stopped. The
// first span that is not empty and ends after the hit's start is the only one it can overlap.
template <typename Spans>
bool OverlapsAny(const TMarkerHit& hit, const Spans& spans, size_t& next) {
  while (next < spans.size() &&
         (spans[next].end <= hit.start || spans[next].start == spans[next].end)) {
    ++next;
  }
  return next < spans.size() && Overlaps(hit, spans[next]);
}

// The marker hits of one tag that delimit none of its passages: begin markers first, then
// end markers that do not stand where a stray begin marker does (a tag whose markers are the
// same), by start.
std::vector<TMarkerHit> StrayHits(const std::vector<TMarkerHit>& begins,
                                  const std::vector<TMarkerHit>& ends,
                                  const TMarkerSpans& marker_spans) {
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
// the original ones, and noting where the last kept code point above 32 ends and where the
// next one stands, for whoever awaits it.
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
  // Sets *first, later, to the stripped offset of the next kept code point above 32.
  void AwaitNonblank(int64_t* first) { awaiting_.push_back(first); }

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
      for (int64_t* first : awaiting_) *first = stripped_size_;
      awaiting_.clear();
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
  std::vector<int64_t*> awaiting_;
  bool after_cr_ = false;  // the last original code point was CR
  bool kept_cr_ = false;   // the last stripped code point was a CR made LF
  bool in_sync_ = true;    // the last removal has been noted
};

// The cuts one tag makes in the text, in order: per passage its begin marker's start and
// end, its trimmed text's start and end (none when that is empty), its end marker's start and
// end; and where each of its stray markers starts. Marker edges open and close removed
// spans; the two cut lists are each in order, and are read side by side.
class TTagCuts {
 public:
  enum class EKind { kRemovalStarts, kRemovalEnds, kPassageStarts, kPassageEnds, kStray };
  struct TCut {
    size_t at = 0;
    EKind kind = EKind::kStray;
  };

  TTagCuts(size_t tag, std::string_view text, const std::vector<TPassageSpan>& spans,
           std::vector<TMarkerHit> stray)
      : tag_(tag), text_(text), spans_(spans), stray_(std::move(stray)) {
    Settle();
  }

  size_t tag() const { return tag_; }
  bool done() const { return span_ == spans_.size() && next_stray_ == stray_.size(); }
  // The next cut, the passage cut before a stray one at the same place. REQUIRES: !done().
  TCut Next() const {
    const bool passage_first =
        span_ < spans_.size() &&
        (next_stray_ == stray_.size() || PassageCut().at <= stray_[next_stray_].start);
    return passage_first ? PassageCut() : TCut{stray_[next_stray_].start, EKind::kStray};
  }
  void Advance() {
    if (Next().kind == EKind::kStray) {
      ++next_stray_;
      return;
    }
    ++step_;
    Settle();
  }
  // The trimmed text of the passage whose cuts are being read.
  std::string_view trimmed() const { return trimmed_; }

 private:
  TCut PassageCut() const {
    const TPassageSpan& span = spans_[span_];
    const size_t trimmed_start = static_cast<size_t>(trimmed_.data() - text_.data());
    switch (step_) {
      case 0:
        return {span.begin_marker, EKind::kRemovalStarts};
      case 1:
        return {span.text_begin, EKind::kRemovalEnds};
      case 2:
        return {trimmed_start, EKind::kPassageStarts};
      case 3:
        return {trimmed_start + trimmed_.size(), EKind::kPassageEnds};
      case 4:
        return {span.text_end, EKind::kRemovalStarts};
      default:
        return {span.end_marker_end, EKind::kRemovalEnds};
    }
  }

  // Moves on to the next passage after its last cut, and past the cuts of an empty trim.
  void Settle() {
    if (step_ == 6) {
      ++span_;
      step_ = 0;
    }
    if (span_ == spans_.size()) return;
    if (step_ == 0) {
      const TPassageSpan& span = spans_[span_];
      trimmed_ = Trim(text_.substr(span.text_begin, span.text_end - span.text_begin));
    }
    if (trimmed_.empty() && (step_ == 2 || step_ == 3)) step_ = 4;
  }

  size_t tag_;
  std::string_view text_;
  const std::vector<TPassageSpan>& spans_;
  std::vector<TMarkerHit> stray_;
  size_t span_ = 0;
  int step_ = 0;
  size_t next_stray_ = 0;
  std::string_view trimmed_;
};

// What the walk found for each passage and stray marker, as it passes them.
struct TCutSink {
  // A passage: its tag, its interval of the stripped text (TCodedInterval) and its trimmed
  // narrow text, empty when it has nothing but blanks (and then no interval).
  std::function<void(size_t tag, TInterval visible, std::string_view trimmed)> passage;
  // A stray marker of tag: where it starts, in code points of the original text.
  std::function<void(size_t tag, int64_t original)> stray;
};

// Walks the text from cut to cut, in order, keeping what no marker of a passage removes, and
// tells sink of each passage and stray marker.
void WalkCuts(std::string_view text, const TTagArray& tag_set, const TScannedText& scanned,
              TStripWalk& walk, const TCutSink& sink) {
  // A copy for the search of a marker the scan did not find, made at the first such marker.
  std::optional<std::string> copy;
  const auto searched = [&]() -> const std::string& {
    if (!copy) copy.emplace(text);
    return *copy;
  };
  std::vector<TTagCuts> tags;
  size_t k = 0;
  for (size_t t = 0; t < tag_set.size(); ++t) {
    if (IsSkippedTag(tag_set[t])) continue;
    for (const TPassageSpan& span : scanned.spans[k]) {
      // A passage of nothing but blanks makes no cuts of its own.
      if (Trim(text.substr(span.text_begin, span.text_end - span.text_begin)).empty()) {
        sink.passage(t, {}, {});
      }
    }
    // The marker hits the scan found, or a search of our own.
    const std::vector<TMarkerHit>* begins = scanned.BeginMarkerHits(k);
    const std::vector<TMarkerHit>* ends = scanned.EndMarkerHits(k);
    std::vector<TMarkerHit> searched_begins;
    std::vector<TMarkerHit> searched_ends;
    if (!begins) {
      searched_begins = FindMarkerHits(BeginMarkerPattern(tag_set[t]), searched());
      begins = &searched_begins;
    }
    if (!ends) {
      searched_ends = FindMarkerHits(tag_set[t].EndMark, searched());
      ends = &searched_ends;
    }
    tags.emplace_back(t, text, scanned.spans[k],
                      StrayHits(*begins, *ends, TMarkerSpans(scanned.spans[k])));
    ++k;
  }
  copy.reset();

  // Per tag: where its open passage's first code point above 32 stands in the stripped text
  // (-1 until the walk comes to one).
  std::vector<int64_t> first_nonblank(tags.size(), -1);
  int removals_open = 0;  // marker spans around the place the walk stands at
  // The tags by where their next cut stands, nearest first.
  using TUpcoming = std::pair<size_t, size_t>;  // the cut's place, the tag's index in tags
  std::priority_queue<TUpcoming, std::vector<TUpcoming>, std::greater<>> upcoming;
  for (size_t i = 0; i < tags.size(); ++i) {
    if (!tags[i].done()) upcoming.push({tags[i].Next().at, i});
  }
  size_t at = 0;
  while (true) {
    while (!upcoming.empty() && upcoming.top().first == at) {
      const size_t i = upcoming.top().second;
      upcoming.pop();
      TTagCuts& cuts = tags[i];
      for (; !cuts.done() && cuts.Next().at == at; cuts.Advance()) {
        switch (cuts.Next().kind) {
          case TTagCuts::EKind::kRemovalStarts:
            ++removals_open;
            break;
          case TTagCuts::EKind::kRemovalEnds:
            --removals_open;
            break;
          case TTagCuts::EKind::kPassageStarts:
            first_nonblank[i] = -1;
            walk.AwaitNonblank(&first_nonblank[i]);
            break;
          case TTagCuts::EKind::kPassageEnds: {
            // Markers of other tags at the passage's edges are gone, and so is what they hid
            // of the blanks next to them: the interval keeps to its visible characters.
            const int64_t end = walk.stripped_size();
            const TInterval visible = first_nonblank[i] >= 0
                                          ? TInterval{first_nonblank[i], walk.nonblank_end()}
                                          : TInterval{end, end};
            sink.passage(cuts.tag(), visible, cuts.trimmed());
            break;
          }
          case TTagCuts::EKind::kStray:
            sink.stray(cuts.tag(), walk.original_size());
            break;
        }
      }
      if (!cuts.done()) upcoming.push({cuts.Next().at, i});
    }
    const size_t next = upcoming.empty() ? text.size() : upcoming.top().first;
    if (next <= at) break;  // the end of the text, every cut passed
    walk.Take(text.substr(at, next - at), removals_open == 0);
    at = next;
  }
  walk.Finish();
}

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

// The engine's subject ends at the first zero byte, and so does what is stripped.
std::string_view UpToZeroByte(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

TStrippedText StripMarkers(std::string_view whole_text, const TTagArray& tag_set,
                           const TScannedText& scanned) {
  const std::string_view text = UpToZeroByte(whole_text);
  TStrippedText stripped;
  stripped.tags.resize(tag_set.size());
  std::vector<std::vector<int64_t>> stray_places(tag_set.size());
  TStripWalk walk(&stripped);
  WalkCuts(
      text, tag_set, scanned, walk,
      {.passage =
           [&](size_t tag, TInterval visible, std::string_view trimmed) {
             if (trimmed.empty()) {
               ++stripped.empty_passages;
             } else {
               stripped.tags[tag].push_back({visible.start, visible.end, std::string(trimmed)});
             }
           },
       .stray = [&](size_t tag, int64_t original) { stray_places[tag].push_back(original); }});
  for (size_t tag = 0; tag < tag_set.size(); ++tag) {
    for (const int64_t original : stray_places[tag]) {
      stripped.stray_markers.push_back(
          {PlaceOfOriginal(stripped.original_line_starts, original), tag});
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
  std::vector<std::vector<TInterval>> intervals(tag_set.size());
  TStripWalk walk(nullptr);
  WalkCuts(UpToZeroByte(whole_text), tag_set, scanned, walk,
           {.passage =
                [&](size_t tag, TInterval visible, std::string_view trimmed) {
                  if (!trimmed.empty()) intervals[tag].push_back(visible);
                },
            .stray = [](size_t, int64_t) {}});
  return intervals;
}

}  // namespace farrowdale
