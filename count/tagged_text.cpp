// Tagged-text extraction: a lazy group between the two markers, searched on narrow text.
#include "count/tagged_text.h"

#include "regex/pattern_engine.h"

namespace farrowdale {

std::string BeginMarkerPattern(const TTagInfo& tag) {
  const std::string_view marker = tag.BeginMark;
  // No "(": taken as it stands, a ")" included.
  if (marker.find('(') == std::string_view::npos) return tag.BeginMark;
  std::string begin;
  for (size_t i = 0; i < marker.size(); ++i) {
    // An escape already makes its character literal; a modifier group such as "(?i)" is kept
    // so that it still applies.
    const size_t kept = marker[i] == '\\' ? 2 : ModifierGroupLength(marker, i);
    if (kept > 0) {
      begin += marker.substr(i, kept);
      i += kept - 1;
      continue;
    }
    if (marker[i] == '(' || marker[i] == ')') begin += '\\';
    begin += marker[i];
  }
  return begin;
}

std::string PlainTextMarker(std::string_view text, EMarkerSide side) {
  const bool parentheses_escaped_later =
      side == EMarkerSide::kBegin && text.find('(') != std::string_view::npos;
  std::string marker;
  for (const char c : text) {
    const bool parenthesis = c == '(' || c == ')';
    if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos &&
        !(parenthesis && parentheses_escaped_later)) {
      marker += '\\';
    }
    marker += c;
  }
  return marker;
}

std::string TaggedTextPattern(const TTagInfo& tag) {
  return BeginMarkerPattern(tag) + "(.*?)" + tag.EndMark;
}

std::shared_ptr<const TCompiledPattern> CompileTagPattern(
    const TTagInfo& tag, const std::filesystem::path& tag_set_file) {
  const std::string pattern = TaggedTextPattern(tag);
  try {
    return TCompiledPattern::Compile(pattern, TPatternSettings{});
  } catch (const EPatternError& error) {
    throw EPatternError(TagErrorMessage(tag, tag_set_file, "pattern", pattern, error.what()),
                        error.ErrorNumber(), error.ErrorPosition());
  }
}

void ForEachTaggedSpan(const std::string& narrow_text, const TTagInfo& tag,
                       const std::function<void(const TPassageSpan&)>& visit) {
  // A fresh engine (and compilation) per call keeps every file and tag independent. The
  // engine searches the text where it lies.
  TPatternEngine engine;
  engine.SetExpression(TaggedTextPattern(tag));
  for (bool found = engine.ExecInPlace(narrow_text); found; found = engine.ExecNext()) {
    TPassageSpan span;
    span.begin_marker = static_cast<size_t>(engine.MatchPos(0) - 1);
    span.end_marker_end = span.begin_marker + static_cast<size_t>(engine.MatchLen(0));
    const int start = engine.MatchPos(1);
    // Group 1 is always set when the pattern matched; stay safe anyway.
    span.text_begin = start < 0 ? span.end_marker_end : static_cast<size_t>(start - 1);
    span.text_end = start < 0 ? span.end_marker_end : span.text_begin + engine.MatchLen(1);
    visit(span);
  }
}

}  // namespace farrowdale
