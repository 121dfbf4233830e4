#include "regex/pattern_search.h"

#include <limits>

#include "regex/compiler.h"
#include "regex/error_text.h"
#include "regex/program_dump.h"
#include "regex/program_shape.h"
#include "regex/search.h"
#include "regex/search_hints.h"
#include "text/code_page.h"

namespace farrowdale {

TCompiledPattern::TCompiledPattern(std::unique_ptr<regex::CompiledParts> parts)
    : parts_(std::move(parts)) {}

TCompiledPattern::~TCompiledPattern() = default;

std::shared_ptr<const TCompiledPattern> TCompiledPattern::Compile(
    std::string_view pattern, const TPatternSettings& settings) {
  pattern = pattern.substr(0, pattern.find('\0'));
  if (pattern.empty()) throw regex::MakePatternError(regex::kErrNoExpression, 0);
  auto parts = std::make_unique<regex::CompiledParts>();
  regex::SubjectView& view = parts->settings;
  const std::string_view pair = settings.line_paired_separator;
  if (!pair.empty()) {
    if (pair.size() != 2 || pair[0] == pair[1]) {
      throw regex::MakePatternError(regex::kErrBadLinePairedSeparator, 0);
    }
    view.paired_assigned = true;
    view.paired_head = static_cast<uint8_t>(pair[0]);
    view.paired_tail = static_cast<uint8_t>(pair[1]);
  }
  view.line_breaks.AddAll(settings.line_breaks);
  view.word_chars.AddAll(settings.word_characters);
  regex::CompileSettings compile;
  compile.modifiers = settings.modifiers & TPatternEngine::kAllModifiers;
  compile.whitespace_set = settings.whitespace;
  compile.word_character_set = settings.word_characters;
  compile.line_breaks_defined = !settings.line_breaks.empty() || view.paired_assigned;
  compile.utf8_text = SystemCodePageKind() == ECodePageKind::kUtf8;
  parts->program = regex::Compile(pattern, compile);
  parts->hints = regex::ComputeSearchHints(parts->program);
  return std::shared_ptr<const TCompiledPattern>(new TCompiledPattern(std::move(parts)));
}

int TCompiledPattern::CaptureGroupCount() const { return parts_->program.group_count; }

std::string TCompiledPattern::Dump() const { return regex::DumpProgram(parts_->program); }

std::string_view TCompiledPattern::FirstLiteral() const {
  return parts_->hints.start_char != 0 ? parts_->hints.start_literal : std::string_view();
}

std::optional<std::string> TCompiledPattern::PlainLiteral() const {
  return regex::PlainLiteralOf(parts_->program);
}

std::optional<TCompiledPattern::LiteralPair> TCompiledPattern::AsLiteralPair() const {
  std::optional<regex::LiteralPairShape> pair = regex::LiteralPairOf(parts_->program);
  if (!pair) return std::nullopt;
  return LiteralPair{std::move(pair->begin), std::move(pair->end)};
}

TPatternSearch::TPatternSearch(std::shared_ptr<const TCompiledPattern> pattern)
    : pattern_(std::move(pattern)), parts_(std::make_unique<regex::SearchParts>()) {
  parts_->view = pattern_->parts().settings;
  parts_->matcher.ClearCaptures();
}

TPatternSearch::~TPatternSearch() = default;

bool TPatternSearch::Exec(std::string_view subject) {
  parts_->NewSubject();
  return SearchFirst(subject);
}

bool TPatternSearch::ExecAmong(std::string_view subject, std::span<const size_t> candidates) {
  parts_->NewSubject();
  parts_->candidates = regex::StartCandidates{candidates};
  return SearchFirst(subject);
}

void TPatternSearch::RequireSearchable(std::string_view subject) {
  constexpr size_t kMaxLength = std::numeric_limits<int32_t>::max() - 2;
  if (subject.size() > kMaxLength) throw regex::MakePatternError(regex::kErrInputStringTooLong, 0);
}

bool TPatternSearch::SearchFirst(std::string_view subject) {
  parts_->matcher.ClearCaptures();
  parts_->attempt = 0;
  RequireSearchable(subject);
  parts_->view.text = reinterpret_cast<const uint8_t*>(subject.data());
  parts_->view.length = static_cast<int32_t>(subject.size());
  const regex::CompiledParts& compiled = pattern_->parts();
  return parts_->SearchFrom(compiled.program, compiled.hints, 1);
}

size_t TPatternSearch::AttemptOffset() const { return static_cast<size_t>(parts_->attempt); }

bool TPatternSearch::ExecNext() {
  const regex::CompiledParts& compiled = pattern_->parts();
  return parts_->SearchFrom(compiled.program, compiled.hints, parts_->NextOffset());
}

int TPatternSearch::MatchPos(int slot) const { return parts_->MatchPos(slot); }

int TPatternSearch::MatchLen(int slot) const { return parts_->MatchLen(slot); }

std::string_view TPatternSearch::MatchedView(int slot) const {
  const int pos = MatchPos(slot);
  if (pos < 0) return std::string_view();
  return std::string_view(reinterpret_cast<const char*>(parts_->view.text) + pos - 1,
                          MatchLen(slot));
}

}  // namespace farrowdale
