// One file, every tag: the begin literals of all tags are found in one pass, then each tag's
// compiled pattern is tried at its own literal's hits (or searched for as the engine does).
#include "count/tag_scanner.h"

#include <algorithm>
#include <limits>
#include <map>
#include <system_error>

#include "regex/error_text.h"
#include "regex/program_nodes.h"
#include "regex/search.h"
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

// Each search of the engine from a start tries exactly the hits of the pattern's first
// literal from there on, in order. The same attempts are made here, search by search, so
// what the matcher learns and counts within one search (failed states, the step budget) is
// the same too.
// *attempt is kept at the hit being tried.
void ScanFromLiteralHits(const regex::CompiledParts& compiled, const std::vector<size_t>& hits,
                         regex::SearchParts& search, std::vector<TPassageSpan>& spans,
                         size_t* attempt) {
  regex::Matcher& matcher = search.matcher;
  search.NewSubject();
  matcher.Prepare(compiled.program, search.view);
  matcher.ClearCaptures();
  matcher.BeginSearch(0);
  int32_t start = 0;
  for (const size_t hit : hits) {
    const auto at = static_cast<int32_t>(hit);
    if (at < start) continue;
    *attempt = hit;
    if (!matcher.MatchAt(at)) continue;
    spans.push_back(SpanOfMatch(search.MatchPos(0), search.MatchLen(0), search.MatchPos(1),
                                search.MatchLen(1)));
    start = search.NextOffset() - 1;
    matcher.ReleaseSpareMemory();
    matcher.ClearCaptures();
    matcher.BeginSearch(start);
  }
  matcher.ReleaseSpareMemory();
}

// The engine's own search, then its search after each match; *attempt is kept where the
// current search starts.
void ScanWithEngineSearch(const std::shared_ptr<const TCompiledPattern>& pattern,
                          std::string_view text, std::vector<TPassageSpan>& spans,
                          size_t* attempt) {
  TPatternSearch search(pattern);
  *attempt = 0;
  for (bool found = search.Exec(text); found; found = search.ExecNext()) {
    spans.push_back(SpanOfMatch(search.MatchPos(0), search.MatchLen(0), search.MatchPos(1),
                                search.MatchLen(1)));
    *attempt = spans.back().end_marker_end;
  }
}

// A program's first node, after the magic byte.
constexpr int kTopNode = 1;

// A program of one alternative: the magic byte, then the alternative, whose chain goes on to
// End, the program's last node; the alternative's own nodes follow it. The position of End,
// or -1 for any other program.
int EndOfSingleAlternative(const std::vector<uint8_t>& code) {
  if (code.size() <= static_cast<size_t>(regex::OperandOf(kTopNode)) ||
      code[kTopNode] != regex::kAlternative) {
    return -1;
  }
  const int end = regex::NextNode(code.data(), kTopNode);
  if (end < 0 || static_cast<size_t>(end) + regex::kNodeHeaderSize != code.size() ||
      code[end] != regex::kEnd) {
    return -1;
  }
  return end;
}

// The text of the literal nodes from node on, before stop; node is left at the first node
// that is not one (or -1 at the chain's end).
std::string LiteralNodesFrom(const std::vector<uint8_t>& code, int& node, int stop) {
  std::string literal;
  for (; node >= 0 && node != stop && code[node] == regex::kLiteral;
       node = regex::NextNode(code.data(), node)) {
    literal += regex::LiteralText(code.data(), node);
  }
  return literal;
}

// The bytes a marker alone matches when its compiled program is nothing but case-sensitive
// literals one after the other (an escaped character starts a literal node of its own), so
// that its matches are exactly the occurrences of those bytes; empty for any other marker
// (an empty one, or one that is no valid pattern alone, included).
std::string PlainLiteralOf(const std::string& marker) {
  if (marker.empty()) return {};
  std::shared_ptr<const TCompiledPattern> compiled;
  try {
    compiled = TCompiledPattern::Compile(marker, TPatternSettings{});
  } catch (const EPatternError&) {
    return {};
  }
  const std::vector<uint8_t>& code = compiled->parts().program.code;
  const int end = EndOfSingleAlternative(code);
  if (end < 0) return {};
  int node = regex::OperandOf(kTopNode);
  std::string literal = LiteralNodesFrom(code, node, end);
  return node == end ? literal : std::string();
}

// Whether a tag's program is its begin literal, then group 1 holding any characters, as few as
// possible, then its end literal, and nothing else. Its matches then pair each occurrence of
// the begin literal with the first occurrence of the end literal after it.
bool IsLiteralPairProgram(const std::vector<uint8_t>& code, std::string_view begin,
                          std::string_view end) {
  using namespace regex;
  const int end_node = EndOfSingleAlternative(code);
  if (end_node < 0) return false;
  const uint8_t* program = code.data();
  int node = OperandOf(kTopNode);
  if (LiteralNodesFrom(code, node, end_node) != begin || node < 0 ||
      code[node] != kGroupOpenFirst) {
    return false;
  }
  // The group: one alternative, a lazy star of any character.
  const int alternative = NextNode(program, node);
  if (alternative < 0 || code[alternative] != kAlternative) return false;
  const int close = NextNode(program, alternative);
  const int repeat = OperandOf(alternative);
  const int any = OperandOf(repeat);
  if (close < 0 || code[close] != kGroupCloseFirst || code[repeat] != kStarRepeatLazy ||
      NextNode(program, repeat) != close || code[any] != kAnyChar || NextNode(program, any) >= 0) {
    return false;
  }
  node = NextNode(program, close);
  return LiteralNodesFrom(code, node, end_node) == end && node == end_node;
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
    const std::string_view literal = tag.pattern->parts().hints.start_literal;
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
    if (tag.literal >= 0 && tag.literal == tag.markers[0] && tag.markers[1] >= 0 &&
        IsLiteralPairProgram(tag.pattern->parts().program.code, literals_[tag.markers[0]],
                             literals_[tag.markers[1]])) {
      tag.pair_end = tag.markers[1];
    }
  }
  all_literals_ = regex::MultiLiteralSearch(literals_);
}

std::string_view TTagScanner::SearchedText(const std::string& narrow_text) {
  const std::string_view text = std::string_view(narrow_text).substr(0, narrow_text.find('\0'));
  if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max() - 2)) {
    throw regex::MakePatternError(regex::kErrInputStringTooLong, 0);
  }
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
  regex::SearchParts search;
  for (size_t index = 0; index < tags_.size(); ++index) {
    const TCompiledTag& tag = tags_[index];
    if (tag.pair_end >= 0 && static_cast<size_t>(tag.pair_end) < hits.size()) {
      PairLiteralHits(hits[tag.literal], literals_[tag.literal].size(), hits[tag.pair_end],
                      literals_[tag.pair_end].size(), spans[index]);
      continue;
    }
    size_t attempt = 0;
    try {
      if (tag.literal < 0) {
        ScanWithEngineSearch(tag.pattern, text, spans[index], &attempt);
        continue;
      }
      const regex::CompiledParts& compiled = tag.pattern->parts();
      search.view = compiled.settings;
      search.view.text = reinterpret_cast<const uint8_t*>(text.data());
      search.view.length = static_cast<int32_t>(text.size());
      ScanFromLiteralHits(compiled, hits[tag.literal], search, spans[index], &attempt);
    } catch (const EPatternError& error) {
      throw ETagSearchError(error, tag.name, attempt);
    }
  }
  return spans;
}

}  // namespace farrowdale
