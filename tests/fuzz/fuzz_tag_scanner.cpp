// Holds the coding run's scanner (one pass for every tag's first literal, each tag's pattern
// tried only at its literal's hits, literal pairs matched without the pattern engine) to one
// engine per tag, the search a user can repeat by hand with the tag's whole pattern.
//
// Input: one byte choosing the code page, one byte of flags (bit k: tag k's markers are plain
// text, written with PlainTextMarker; bit 7: the first tag is a separator, skipped), then up
// to four tags' begin and end markers and last the text, the fields parted by zero bytes
// (the text keeps any further zero bytes: it ends at its first one, for both searches).
//
// A finding is any difference: which tag fails to compile, the passages of any tag, the
// first search error (its number and its tag), and the hits of the markers the scan finds
// itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "count/tag_scanner.h"
#include "count/tagged_text.h"
#include "regex/pattern_engine.h"
#include "tagset/tag_set.h"
#include "tests/fuzz/fuzz_code_page.h"

namespace farrowdale {
namespace {

constexpr size_t kMaxTags = 4;
constexpr size_t kMaxMarker = 64;
constexpr size_t kMaxText = 1 << 14;

void Require(bool holds) {
  if (!holds) std::abort();
}

// One tag's passages, or the error its search raised.
struct TReference {
  std::vector<TPassageSpan> spans;
  int error = 0;
};

TReference SearchAlone(const std::string& text, const TTagInfo& tag) {
  TReference reference;
  try {
    ForEachTaggedSpan(text, tag,
                      [&](const TPassageSpan& span) { reference.spans.push_back(span); });
  } catch (const EPatternError& error) {
    reference.error = error.ErrorNumber();
  }
  return reference;
}

bool SameSpans(const std::vector<TPassageSpan>& a, const std::vector<TPassageSpan>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].begin_marker != b[i].begin_marker || a[i].text_begin != b[i].text_begin ||
        a[i].text_end != b[i].text_end || a[i].end_marker_end != b[i].end_marker_end) {
      return false;
    }
  }
  return true;
}

// Where a marker alone matches, as the engine's search restarted after each match finds it,
// empty matches left out.
std::vector<TMarkerHit> MarkerHitsAlone(const std::string& text, const std::string& marker) {
  std::vector<TMarkerHit> hits;
  TPatternEngine engine;
  engine.SetExpression(marker);
  for (bool found = engine.ExecInPlace(text); found; found = engine.ExecNext()) {
    if (engine.MatchLen(0) <= 0) continue;
    const auto start = static_cast<size_t>(engine.MatchPos(0) - 1);
    hits.push_back({start, start + static_cast<size_t>(engine.MatchLen(0))});
  }
  return hits;
}

void RequireSameMarkerHits(const std::vector<TMarkerHit>* scanned, const std::string& text,
                           const std::string& marker) {
  if (scanned == nullptr) return;  // the scan did not look
  const std::vector<TMarkerHit> alone = MarkerHitsAlone(text, marker);
  Require(scanned->size() == alone.size());
  for (size_t i = 0; i < alone.size(); ++i) {
    Require((*scanned)[i].start == alone[i].start && (*scanned)[i].end == alone[i].end);
  }
}

// The tag set and the text the input describes.
struct TCase {
  TTagArray tags;
  std::string text;
};

TCase ReadCase(std::string_view input, uint8_t flags) {
  std::vector<std::string_view> markers;
  while (markers.size() < 2 * kMaxTags) {
    const size_t zero = input.find('\0');
    if (zero == std::string_view::npos) break;
    markers.push_back(input.substr(0, std::min(zero, kMaxMarker)));
    input.remove_prefix(zero + 1);
  }
  TCase read;
  read.text = std::string(input.substr(0, kMaxText));
  for (size_t k = 0; k + 1 < markers.size(); k += 2) {
    TTagInfo& tag = read.tags.emplace_back();
    const size_t index = k / 2;
    tag.Name = index == 0 && (flags & 0x80) != 0 ? "-" : "t" + std::to_string(index);
    const bool plain = (flags >> index & 1) != 0;
    tag.BeginMark =
        plain ? PlainTextMarker(markers[k], EMarkerSide::kBegin) : std::string(markers[k]);
    tag.EndMark =
        plain ? PlainTextMarker(markers[k + 1], EMarkerSide::kEnd) : std::string(markers[k + 1]);
  }
  return read;
}

// The first tag, in tag order, whose pattern does not compile, or -1.
int FirstTagThatDoesNotCompile(const TTagArray& tags) {
  for (size_t k = 0; k < tags.size(); ++k) {
    if (IsSkippedTag(tags[k])) continue;
    try {
      CompileTagPattern(tags[k], "tags.ini");
    } catch (const EPatternError&) {
      return static_cast<int>(k);
    }
  }
  return -1;
}

}  // namespace
}  // namespace farrowdale

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace farrowdale;
  if (size < 2) return 0;
  ChooseFuzzCodePage(data[0]);
  const TCase input =
      ReadCase(std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2), data[1]);

  const int bad_tag = FirstTagThatDoesNotCompile(input.tags);
  if (bad_tag >= 0) {
    try {
      TTagScanner scanner(input.tags, "tags.ini");
    } catch (const EPatternError& error) {
      const std::string name = "Tag \"" + input.tags[bad_tag].Name + "\"";
      Require(std::string_view(error.what()).starts_with(name));
      return 0;
    }
    std::abort();  // the scanner compiled what the engine refuses
  }

  const TTagScanner scanner(input.tags, "tags.ini");
  std::vector<const TTagInfo*> searched;
  std::vector<TReference> alone;
  const TReference* first_error = nullptr;
  for (const TTagInfo& tag : input.tags) {
    if (IsSkippedTag(tag)) continue;
    searched.push_back(&tag);
    alone.push_back(SearchAlone(input.text, tag));
  }
  for (size_t k = 0; k < alone.size() && first_error == nullptr; ++k) {
    if (alone[k].error != 0) first_error = &alone[k];
  }

  TScannedText scanned;
  try {
    scanned = scanner.ScanWithMarkerHits(input.text);
  } catch (const EPatternError& error) {
    Require(first_error != nullptr && error.ErrorNumber() == first_error->error);
    const TTagInfo& tag = *searched[static_cast<size_t>(first_error - alone.data())];
    Require(std::string_view(error.what()).starts_with("Tag \"" + tag.Name + "\": "));
    return 0;
  }
  Require(first_error == nullptr);
  Require(scanned.spans.size() == alone.size());
  for (size_t k = 0; k < alone.size(); ++k) {
    Require(SameSpans(scanned.spans[k], alone[k].spans));
    RequireSameMarkerHits(scanned.BeginMarkerHits(k), input.text, BeginMarkerPattern(*searched[k]));
    RequireSameMarkerHits(scanned.EndMarkerHits(k), input.text, searched[k]->EndMark);
  }
  // Scan is ScanWithMarkerHits without the marker hits.
  const std::vector<std::vector<TPassageSpan>> spans = scanner.Scan(input.text);
  for (size_t k = 0; k < alone.size(); ++k) Require(SameSpans(spans[k], alone[k].spans));
  return 0;
}
