#include "regex/pattern_engine.h"

#include <cstdint>
#include <limits>
#include <optional>

#include "regex/compiler.h"
#include "regex/error_text.h"
#include "regex/matcher.h"
#include "regex/pattern_search.h"
#include "regex/program.h"
#include "regex/search.h"
#include "regex/search_hints.h"
#include "regex/subject_buffer.h"
#include "text/code_page.h"

namespace farrowdale {

using regex::Matcher;

namespace {

// A new engine's settings.
const TPatternSettings& Defaults() {
  static const TPatternSettings defaults;
  return defaults;
}

std::string_view UpToZero(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

struct TPatternEngine::State {
  std::string expression;
  regex::SubjectBuffer subject;
  std::optional<regex::Program> program;
  regex::SearchHints hints;
  int modifiers = kDefaultModifiers;
  std::string whitespace{Defaults().whitespace};
  std::string word_characters{Defaults().word_characters};
  std::string line_breaks{Defaults().line_breaks};
  regex::SearchParts search;  // its view holds the paired separator and word characters
  int last_error = 0;

  // Runs f, recording the number of any EPatternError it raises.
  template <typename F>
  auto Recording(F f) -> decltype(f()) {
    try {
      return f();
    } catch (const EPatternError& e) {
      last_error = e.ErrorNumber();
      throw;
    }
  }

  void Compile() {
    regex::CompileSettings settings;
    settings.modifiers = modifiers;
    settings.whitespace_set = whitespace;
    settings.word_character_set = word_characters;
    settings.line_breaks_defined = !line_breaks.empty() || search.view.paired_assigned;
    settings.utf8_text = SystemCodePageKind() == ECodePageKind::kUtf8;
    program = regex::Compile(expression, settings);
    hints = regex::ComputeSearchHints(*program);
    search.NewSubject();
  }

  // Takes a new subject (store keeps it, up to its first zero byte) and searches it from its
  // start. Positions are 32-bit, so length + 1 must stay representable.
  template <typename Store>
  bool SearchNewSubject(std::string_view new_subject, Store store) {
    return Recording([&] {
      search.matcher.ClearCaptures();
      constexpr size_t kMaxLength = std::numeric_limits<int32_t>::max() - 2;
      if (new_subject.size() > kMaxLength && UpToZero(new_subject).size() > kMaxLength) {
        throw regex::MakePatternError(regex::kErrInputStringTooLong, 0);
      }
      store();
      search.NewSubject();
      return SearchFrom(1);
    });
  }

  bool SearchFrom(int offset) {
    search.matcher.ClearCaptures();
    if (program && program->modifiers != modifiers) program.reset();
    search.view.line_breaks = regex::ByteSet();
    search.view.line_breaks.AddAll(line_breaks);
    if (!program) {
      if (expression.empty()) throw regex::MakePatternError(regex::kErrNoExpression, 0);
      Compile();
    }
    if (subject.empty()) throw regex::MakePatternError(regex::kErrNoInputString, 0);
    search.view.text = subject.data();
    search.view.length = static_cast<int32_t>(subject.size());
    return search.SearchFrom(*program, hints, offset);
  }
};

TPatternEngine::TPatternEngine() : state_(std::make_unique<State>()) {
  state_->search.view.word_chars.AddAll(Defaults().word_characters);
  SetLinePairedSeparator(Defaults().line_paired_separator);
  state_->search.matcher.ClearCaptures();
}

TPatternEngine::~TPatternEngine() = default;

void TPatternEngine::SetExpression(std::string_view pattern) {
  pattern = UpToZero(pattern);
  State& s = *state_;
  if (pattern == s.expression && s.program) return;
  s.expression.assign(pattern);
  s.program.reset();
}

const std::string& TPatternEngine::Expression() const { return state_->expression; }

bool TPatternEngine::Exec(std::string_view subject) {
  State& s = *state_;
  return s.SearchNewSubject(subject, [&] { s.subject.Assign(subject); });
}

bool TPatternEngine::ExecInPlace(const std::string& subject) {
  State& s = *state_;
  return s.SearchNewSubject(subject, [&] { s.subject.Borrow(subject); });
}

bool TPatternEngine::ExecNext() {
  State& s = *state_;
  return s.Recording([&] { return s.SearchFrom(s.search.NextOffset()); });
}

bool TPatternEngine::SearchFrom(int offset) {
  State& s = *state_;
  return s.Recording([&] { return s.SearchFrom(offset); });
}

std::string TPatternEngine::MatchedText(int slot) const {
  const int pos = MatchPos(slot);
  if (pos < 0) return std::string();
  return std::string(state_->subject.view().substr(pos - 1, MatchLen(slot)));
}

int TPatternEngine::MatchPos(int slot) const {
  return state_->subject.empty() ? -1 : state_->search.MatchPos(slot);
}

int TPatternEngine::MatchLen(int slot) const {
  return state_->subject.empty() ? -1 : state_->search.MatchLen(slot);
}

int TPatternEngine::CaptureGroupCount() const {
  return state_->program ? state_->program->group_count : 0;
}

int TPatternEngine::ModifierSet() const { return state_->modifiers; }

void TPatternEngine::SetModifierSet(int modifiers) {
  state_->modifiers = modifiers & kAllModifiers;
}

void TPatternEngine::SetLinePairedSeparator(std::string_view pair) {
  State& s = *state_;
  regex::SubjectView& v = s.search.view;
  s.Recording([&] {
    pair = UpToZero(pair);
    if (pair.empty()) {
      if (v.paired_assigned) s.program.reset();
      v.paired_assigned = false;
      return;
    }
    if (pair.size() != 2 || pair[0] == pair[1]) {
      throw regex::MakePatternError(regex::kErrBadLinePairedSeparator, 0);
    }
    const auto head = static_cast<uint8_t>(pair[0]);
    const auto tail = static_cast<uint8_t>(pair[1]);
    if (v.paired_assigned && v.paired_head == head && v.paired_tail == tail) return;
    v.paired_assigned = true;
    v.paired_head = head;
    v.paired_tail = tail;
    s.program.reset();
  });
}

std::string TPatternEngine::LinePairedSeparator() const {
  const regex::SubjectView& v = state_->search.view;
  if (!v.paired_assigned) return std::string();
  return std::string{static_cast<char>(v.paired_head), static_cast<char>(v.paired_tail)};
}

void TPatternEngine::SetLineBreakSet(std::string_view chars) {
  state_->line_breaks.assign(UpToZero(chars));
}
const std::string& TPatternEngine::LineBreakSet() const { return state_->line_breaks; }

void TPatternEngine::SetWhitespaceSet(std::string_view chars) {
  state_->whitespace.assign(UpToZero(chars));
}
const std::string& TPatternEngine::WhitespaceSet() const { return state_->whitespace; }

void TPatternEngine::SetWordCharacterSet(std::string_view chars) {
  State& s = *state_;
  s.word_characters.assign(UpToZero(chars));
  s.search.view.word_chars = regex::ByteSet();
  s.search.view.word_chars.AddAll(s.word_characters);
}
const std::string& TPatternEngine::WordCharacterSet() const { return state_->word_characters; }

std::string TPatternEngine::ErrorText(int error_number) {
  return std::string(regex::PatternErrorText(error_number));
}

int TPatternEngine::LastError() const { return state_->last_error; }

}  // namespace farrowdale
