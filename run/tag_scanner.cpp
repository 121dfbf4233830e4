// One file, every tag: the begin literals of all tags are found in one pass, then each tag's
// compiled pattern is tried at its own literal's hits (or searched for as the engine does).
#include "run/tag_scanner.h"

#include <limits>

#include "regex/error_text.h"
#include "regex/search.h"

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
void ScanFromLiteralHits(const regex::CompiledParts& compiled, const std::vector<size_t>& hits,
                         regex::SearchParts& search, std::vector<TPassageSpan>& spans) {
  regex::Matcher& matcher = search.matcher;
  search.NewSubject();
  matcher.Prepare(compiled.program, search.view);
  matcher.ClearCaptures();
  matcher.BeginSearch(0);
  int32_t start = 0;
  for (const size_t hit : hits) {
    const auto at = static_cast<int32_t>(hit);
    if (at < start || !matcher.MatchAt(at)) continue;
    spans.push_back(SpanOfMatch(search.MatchPos(0), search.MatchLen(0), search.MatchPos(1),
                                search.MatchLen(1)));
    start = search.NextOffset() - 1;
    matcher.ReleaseSpareMemory();
    matcher.ClearCaptures();
    matcher.BeginSearch(start);
  }
  matcher.ReleaseSpareMemory();
}

// The engine's own search, then its search after each match.
void ScanWithEngineSearch(const std::shared_ptr<const TCompiledPattern>& pattern,
                          std::string_view text, std::vector<TPassageSpan>& spans) {
  TPatternSearch search(pattern);
  for (bool found = search.Exec(text); found; found = search.ExecNext()) {
    spans.push_back(SpanOfMatch(search.MatchPos(0), search.MatchLen(0), search.MatchPos(1),
                                search.MatchLen(1)));
  }
}

}  // namespace

TTagScanner::TTagScanner(const TTagArray& tag_set, const std::filesystem::path& tag_set_file)
    : begin_literals_([&] {
        std::vector<std::string> literals;
        for (const TTagInfo& info : tag_set) {
          if (IsSkippedTag(info)) continue;
          TCompiledTag& tag = tags_.emplace_back();
          tag.pattern = CompileTagPattern(info, tag_set_file);
          // Every match then starts with that literal.
          const std::string_view literal = tag.pattern->parts().hints.start_literal;
          if (!literal.empty()) {
            tag.literal = static_cast<int>(literals.size());
            literals.emplace_back(literal);
          }
        }
        return regex::MultiLiteralSearch(std::move(literals));
      }()) {}

std::vector<std::vector<TPassageSpan>> TTagScanner::Scan(const std::string& narrow_text) const {
  std::vector<std::vector<TPassageSpan>> spans(tags_.size());
  if (tags_.empty()) return spans;
  const std::string_view text = std::string_view(narrow_text).substr(0, narrow_text.find('\0'));
  if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max() - 2)) {
    throw regex::MakePatternError(regex::kErrInputStringTooLong, 0);
  }
  const std::vector<std::vector<size_t>> hits = begin_literals_.FindAll(text);
  regex::SearchParts search;
  for (size_t index = 0; index < tags_.size(); ++index) {
    const TCompiledTag& tag = tags_[index];
    if (tag.literal < 0) {
      ScanWithEngineSearch(tag.pattern, text, spans[index]);
      continue;
    }
    const regex::CompiledParts& compiled = tag.pattern->parts();
    search.view = compiled.settings;
    search.view.text = reinterpret_cast<const uint8_t*>(text.data());
    search.view.length = static_cast<int32_t>(text.size());
    ScanFromLiteralHits(compiled, hits[tag.literal], search, spans[index]);
  }
  return spans;
}

}  // namespace farrowdale
