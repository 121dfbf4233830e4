// Extraction of the passages one tag encloses in the whole text of one file.
#ifndef FARROWDALE_COUNT_TAGGED_TEXT_H_
#define FARROWDALE_COUNT_TAGGED_TEXT_H_

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "regex/pattern_search.h"
#include "tagset/tag_set.h"

namespace farrowdale {

// The begin marker as the tag's pattern reads it. When it holds a "(", each parenthesis that
// is neither escaped already ("\(") nor part of a modifier group ("(?i)") is escaped, so
// that "(q)" matches the text "(q)"; "\(q\)" and "(?i)<q>" read as they do in any pattern.
std::string BeginMarkerPattern(const TTagInfo& tag);
// Which marker of a tag.
enum class EMarkerSide { kBegin, kEnd };
// The marker to write so that the tag's pattern finds text exactly as typed: a backslash
// before every character the engine reads as an operator, except the parentheses of a begin
// marker that holds a "(", which BeginMarkerPattern escapes itself.
std::string PlainTextMarker(std::string_view text, EMarkerSide side);
// The pattern BeginMarkerPattern + "(.*?)" + end.
std::string TaggedTextPattern(const TTagInfo& tag);

// Where one match of a tag's pattern lies in the searched text (0-based byte offsets): the
// begin marker from begin_marker to text_begin, the passage (untrimmed) to text_end, the end
// marker to end_marker_end.
struct TPassageSpan {
  size_t begin_marker = 0;
  size_t text_begin = 0;
  size_t text_end = 0;
  size_t end_marker_end = 0;
};

// Calls visit for every match of the tag's pattern in narrow_text, in order, from an engine of
// its own: the search every faster one must agree with. Throws the engine's compile error.
void ForEachTaggedSpan(const std::string& narrow_text, const TTagInfo& tag,
                       const std::function<void(const TPassageSpan&)>& visit);

// Compiles the tag's pattern for a run's searches. A pattern that does not compile throws
// EPatternError (the engine's number and position kept) whose message names the tag, the
// tag set file and the whole pattern, then gives the engine's own text unchanged:
// Tag "NAME" in FILE, pattern "PATTERN": Pattern(comp): ...
std::shared_ptr<const TCompiledPattern> CompileTagPattern(
    const TTagInfo& tag, const std::filesystem::path& tag_set_file);

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_TAGGED_TEXT_H_
