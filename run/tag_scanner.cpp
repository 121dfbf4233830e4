// One file, every tag: the begin literals of all tags are found in one pass, then each tag's
// compiled program is tried at its own literal's hits (or searched for as the engine does).
#include "run/tag_scanner.h"

#include <limits>
#include <optional>

#include "regex/compiler.h"
#include "regex/error_text.h"
#include "regex/pattern_engine.h"
#include "regex/search.h"
#include "run/tagged_text.h"
#include "text/trim.h"

namespace farrowdale {

struct TTagScanner::TCompiledTag {
  std::optional<regex::Program> program;
  regex::SearchHints hints;  // views into program->code
  std::exception_ptr compile_error;
  int literal = -1;  // index of its leading literal in begin_literals_, or -1
};

namespace {

// The line and word settings of a new engine, which the run's searches use.
regex::SubjectView DefaultEngineSettings() {
  const TPatternEngine engine;
  regex::SubjectView view;
  view.line_breaks.AddAll(engine.LineBreakSet());
  view.word_chars.AddAll(engine.WordCharacterSet());
  const std::string paired = engine.LinePairedSeparator();
  view.paired_assigned = !paired.empty();
  if (view.paired_assigned) {
    view.paired_head = static_cast<uint8_t>(paired[0]);
    view.paired_tail = static_cast<uint8_t>(paired[1]);
  }
  return view;
}

// Group 1 of the matcher's last match, trimmed, when it is set and not blank.
void AddPassage(const regex::Matcher& matcher, const regex::SubjectView& view,
                std::vector<std::string_view>& passages) {
  const int32_t start = matcher.CaptureStart(1);
  const int32_t end = matcher.CaptureEnd(1);
  if (start == regex::Matcher::kUnset || end == regex::Matcher::kUnset || end < start) return;
  const std::string_view trimmed =
      Trim(std::string_view(reinterpret_cast<const char*>(view.text) + start, end - start));
  if (!trimmed.empty()) passages.push_back(trimmed);
}

// Where the next search starts after the matcher's last match: at its end, one further
// after an empty match.
int32_t NextSearchStart(const regex::Matcher& matcher) {
  const int32_t start = matcher.CaptureStart(0);
  const int32_t end = matcher.CaptureEnd(0);
  return end + (start == end ? 1 : 0);
}

// Each search of the engine from a start would try exactly the hits from there on.
void ScanFromLiteralHits(const std::vector<size_t>& hits, const regex::SubjectView& view,
                         regex::Matcher& matcher, std::vector<std::string_view>& passages) {
  matcher.ClearCaptures();
  int32_t start = 0;
  for (const size_t hit : hits) {
    const auto at = static_cast<int32_t>(hit);
    if (at < start || !matcher.MatchAt(at)) continue;
    AddPassage(matcher, view, passages);
    start = NextSearchStart(matcher);
    matcher.ClearCaptures();
  }
}

// The engine's own search, then its search after each match.
void ScanWithEngineSearch(const regex::SearchHints& hints, const regex::SubjectView& view,
                          regex::Matcher& matcher, std::vector<std::string_view>& passages) {
  regex::MustContainCache must_contain;
  for (int32_t start = 0;
       start <= view.length && regex::SearchSubject(hints, view, start, matcher, must_contain);
       start = NextSearchStart(matcher)) {
    AddPassage(matcher, view, passages);
  }
}

}  // namespace

TTagScanner::TTagScanner(const TTagArray& tag_set)
    : settings_(DefaultEngineSettings()), begin_literals_(CompileTags(tag_set, settings_, tags_)) {}

TTagScanner::~TTagScanner() = default;

std::vector<std::string> TTagScanner::CompileTags(
    const TTagArray& tag_set, const regex::SubjectView& settings,
    std::vector<std::unique_ptr<TCompiledTag>>& tags) {
  const TPatternEngine engine;
  regex::CompileSettings compile;
  compile.modifiers = engine.ModifierSet();
  compile.whitespace_set = engine.WhitespaceSet();
  compile.word_character_set = engine.WordCharacterSet();
  compile.line_breaks_defined = !engine.LineBreakSet().empty() || settings.paired_assigned;
  std::vector<std::string> literals;
  for (const TTagInfo& info : tag_set) {
    if (IsSkippedTag(info)) continue;
    TCompiledTag& tag = *tags.emplace_back(std::make_unique<TCompiledTag>());
    try {
      tag.program = regex::Compile(TaggedTextPattern(info), compile);
      tag.hints = regex::ComputeSearchHints(*tag.program);
    } catch (...) {
      tag.program.reset();
      tag.compile_error = std::current_exception();
      continue;
    }
    // Every match then starts with that literal.
    if (!tag.hints.start_literal.empty()) {
      tag.literal = static_cast<int>(literals.size());
      literals.emplace_back(tag.hints.start_literal);
    }
  }
  return literals;
}

std::vector<std::vector<std::string_view>> TTagScanner::Scan(const std::string& narrow_text) const {
  std::vector<std::vector<std::string_view>> passages(tags_.size());
  if (tags_.empty()) return passages;
  const std::string_view text = std::string_view(narrow_text).substr(0, narrow_text.find('\0'));
  if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max() - 2)) {
    throw regex::MakePatternError(regex::kErrInputStringTooLong, 0);
  }
  const std::vector<std::vector<size_t>> hits = begin_literals_.FindAll(text);
  regex::SubjectView view = settings_;
  view.text = reinterpret_cast<const uint8_t*>(text.data());
  view.length = static_cast<int32_t>(text.size());
  regex::Matcher matcher;
  for (size_t index = 0; index < tags_.size(); ++index) {
    const TCompiledTag& tag = *tags_[index];
    if (tag.compile_error) std::rethrow_exception(tag.compile_error);
    matcher.Prepare(*tag.program, view);
    if (tag.literal >= 0) {
      ScanFromLiteralHits(hits[tag.literal], view, matcher, passages[index]);
    } else {
      ScanWithEngineSearch(tag.hints, view, matcher, passages[index]);
    }
  }
  return passages;
}

}  // namespace farrowdale
