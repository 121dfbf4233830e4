// One file, every tag: the begin literals of all tags are found in one pass, then each tag's
// compiled pattern is tried at its own literal's hits (or searched for as the engine does).
#include "count/tag_scanner.h"

#include <algorithm>
#include <map>
#include <optional>
#include <system_error>

#include "text/code_page.h"
#include "text/text_position.h"

namespace farrowdale {
namespace {

// A match from its whole-match and group 1 positions (1-based, as the engine gives them).
TPassageSpan SpanOfMatch(int match_pos, int match_len, int text_pos, int text_len) {
  TPassageSpan span;
  span.begin_marker = static_cast<size_t>(match_pos - 1);
  span.end_marker_end = span.begin_marker + static_cast<size_t>(match_len);
  // Group 1 is always set when the pattern matched; stay safe anyway.
  span.text_begin = text_pos < 0 ? span.end_marker_end : static_cast<size_t>(text_pos - 1);
  span.text_end = text_pos < 0 ? span.end_marker_end : span.text_begin + text_len;
  return span;
}

// Every match of the tag's pattern, as the engine's search and its search after each match
// find them; with candidates (the hits of the pattern's first literal) attempts are made only
// there. A search error names the tag and where the failing attempt began.
void ScanWithSearch(const std::shared_ptr<const TCompiledPattern>& pattern,
                    const std::string& tag_name, std::string_view text,
                    const std::vector<size_t>* candidates, std::vector<TPassageSpan>& spans) {
  TPatternSearch search(pattern);
  try {
    const bool first =
        candidates != nullptr ? search.ExecAmong(text, *candidates) : search.Exec(text);
    for (bool found = first; found; found = search.ExecNext()) {
      spans.push_back(SpanOfMatch(search.MatchPos(0), search.MatchLen(0), search.MatchPos(1),
                                  search.MatchLen(1)));
    }
  } catch (const EPatternError& error) {
    throw ETagSearchError(error, tag_name, search.AttemptOffset());
  }
}

// The bytes a marker alone matches when it is nothing but case-sensitive characters, so that
// its matches are exactly the occurrences of those bytes; empty for any other marker (an
// empty one, or one that is no valid pattern alone, included).
std::string PlainLiteralOf(const std::string& marker) {
  if (marker.empty()) return {};
  try {
    return TCompiledPattern::Compile(marker, TPatternSettings{})->PlainLiteral().value_or("");
  } catch (const EPatternError&) {
    return {};
  }
}

// The matches of a literal-pair tag from the hits of its two literals: the first begin hit
// from where the last match ended, up to the first end hit after that begin literal.
void PairLiteralHits(const std::vector<size_t>& begin_hits, size_t begin_size,
                     const std::vector<size_t>& end_hits, size_t end_size,
                     std::vector<TPassageSpan>& spans) {
  spans.reserve(std::min(begin_hits.size(), end_hits.size()));  // one end hit per match
  size_t free_from = 0;
  auto end_hit = end_hits.begin();
  for (const size_t hit : begin_hits) {
    if (hit < free_from) continue;
    const size_t text_begin = hit + begin_size;
    while (end_hit != end_hits.end() && *end_hit < text_begin) ++end_hit;
    if (end_hit == end_hits.end()) break;  // no later begin hit has an end either
    free_from = *end_hit + end_size;
    spans.push_back({hit, text_begin, *end_hit, free_from});
  }
}

// Where a literal's occurrences lie, one after the other as a search that restarts after each
// match takes them: an occurrence overlapping the one taken before it is passed over.
std::vector<TMarkerHit> NonOverlappingHits(const std::vector<size_t>& starts, size_t length) {
  std::vector<TMarkerHit> hits;
  hits.reserve(starts.size());
  size_t free_from = 0;
  for (const size_t start : starts) {
    if (start < free_from) continue;
    free_from = start + length;
    hits.push_back({start, free_from});
  }
  return hits;
}

}  // namespace

ETagSearchError::ETagSearchError(const EPatternError& cause, const std::string& tag_name,
                                 size_t offset)
    : EPatternError("Tag \"" + tag_name + "\": " + cause.what(), cause.ErrorNumber(),
                    cause.ErrorPosition()),
      tag_name_(tag_name),
      cause_(cause.what()),
      offset_(offset) {}

Error ETagSearchError::InFile(const std::filesystem::path& path,
                              std::string_view narrow_text) const {
  const TTextPosition place =
      TTextPositionCursor(narrow_text).PositionOf(std::min(offset_, narrow_text.size()));
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return Error("Tag \"" + tag_name_ + "\" in " + PathToNarrow(ec ? path : absolute) +
               ", passage from line " + std::to_string(place.line) + ", column " +
               std::to_string(place.column) + ": " + cause_);
}

const std::vector<TMarkerHit>* TScannedText::HitsOf(size_t k, size_t marker) const {
  const int literal = tag_markers_[k][marker];
  return literal < 0 ? nullptr : &literal_hits_[static_cast<size_t>(literal)];
}

TTagScanner::TTagScanner(const TTagArray& tag_set, const std::filesystem::path& tag_set_file) {
  std::map<std::string, int> literal_index;
  auto index_of = [&](std::string literal) {
    const auto [found, added] =
        literal_index.try_emplace(literal, static_cast<int>(literals_.size()));
    if (added) literals_.push_back(std::move(literal));
    return found->second;
  };
  for (const TTagInfo& info : tag_set) {
    if (IsSkippedTag(info)) continue;
    TCompiledTag& tag = tags_.emplace_back();
    tag.name = info.Name;
    tag.pattern = CompileTagPattern(info, tag_set_file);
    // Every match then starts with that literal.
    const std::string_view literal = tag.pattern->FirstLiteral();
    if (!literal.empty()) tag.literal = index_of(std::string(literal));
  }
  first_literals_ = regex::MultiLiteralSearch(literals_);
  size_t tag_index = 0;
  for (const TTagInfo& info : tag_set) {
    if (IsSkippedTag(info)) continue;
    TCompiledTag& tag = tags_[tag_index++];
    const std::array<std::string, 2> markers = {PlainLiteralOf(BeginMarkerPattern(info)),
                                                PlainLiteralOf(info.EndMark)};
    for (size_t m = 0; m < markers.size(); ++m) {
      if (markers[m].empty()) continue;
      tag.markers[m] = index_of(markers[m]);
      if (std::find(marker_literals_.begin(), marker_literals_.end(), tag.markers[m]) ==
          marker_literals_.end()) {
        marker_literals_.push_back(tag.markers[m]);
      }
    }
    if (tag.literal < 0 || tag.literal != tag.markers[0] || tag.markers[1] < 0) continue;
    const std::optional<TCompiledPattern::LiteralPair> pair = tag.pattern->AsLiteralPair();
    if (pair && pair->begin == literals_[tag.markers[0]] &&
        pair->end == literals_[tag.markers[1]]) {
      tag.pair_end = tag.markers[1];
    }
  }
  all_literals_ = regex::MultiLiteralSearch(literals_);
}

std::string_view TTagScanner::SearchedText(const std::string& narrow_text) {
  const std::string_view text = std::string_view(narrow_text).substr(0, narrow_text.find('\0'));
  TPatternSearch::RequireSearchable(text);
  return text;
}

std::vector<std::vector<TPassageSpan>> TTagScanner::Scan(const std::string& narrow_text) const {
  if (tags_.empty()) return {};
  const std::string_view text = SearchedText(narrow_text);
  return SpansFromHits(text, first_literals_.FindAll(text));
}

TScannedText TTagScanner::ScanWithMarkerHits(const std::string& narrow_text) const {
  TScannedText scanned;
  if (tags_.empty()) return scanned;
  const std::string_view text = SearchedText(narrow_text);
  const std::vector<std::vector<size_t>> hits = all_literals_.FindAll(text);
  scanned.spans = SpansFromHits(text, hits);
  scanned.literal_hits_.resize(literals_.size());
  for (const int literal : marker_literals_) {
    scanned.literal_hits_[literal] = NonOverlappingHits(hits[literal], literals_[literal].size());
  }
  for (const TCompiledTag& tag : tags_) scanned.tag_markers_.push_back(tag.markers);
  return scanned;
}

std::vector<std::vector<TPassageSpan>> TTagScanner::SpansFromHits(
    std::string_view text, const std::vector<std::vector<size_t>>& hits) const {
  std::vector<std::vector<TPassageSpan>> spans(tags_.size());
  for (size_t index = 0; index < tags_.size(); ++index) {
    const TCompiledTag& tag = tags_[index];
    if (tag.pair_end >= 0 && static_cast<size_t>(tag.pair_end) < hits.size()) {
      PairLiteralHits(hits[tag.literal], literals_[tag.literal].size(), hits[tag.pair_end],
                      literals_[tag.pair_end].size(), spans[index]);
    } else {
      ScanWithSearch(tag.pattern, tag.name, text, tag.literal < 0 ? nullptr : &hits[tag.literal],
                     spans[index]);
    }
  }
  return spans;
}

}  // namespace farrowdale
