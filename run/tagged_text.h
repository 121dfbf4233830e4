// Extraction of the passages one tag encloses in the whole text of one file.
#ifndef FARROWDALE_RUN_TAGGED_TEXT_H_
#define FARROWDALE_RUN_TAGGED_TEXT_H_

#include <filesystem>
#include <string>
#include <string_view>

#include "tagset/tag_set.h"
#include "text/unicode_string_list.h"

namespace farrowdale {

// The pattern begin + "(.*?)" + end, with the begin marker's parentheses escaped when it
// holds a "(".
std::string TaggedTextPattern(const TTagInfo& tag);

// Compiles every tag's pattern that a run searches with (skipped tags aside). A pattern that
// does not compile throws EPatternError (the engine's number and position kept) whose
// message names the tag, the tag set file and the whole pattern, then gives the engine's
// own text unchanged: Tag "NAME" in FILE, pattern "PATTERN": Pattern(comp): ...
void CheckTagPatterns(const TTagArray& tag_set, const std::filesystem::path& tag_set_file);

// Appends every trimmed, non-empty passage between the tag's markers to list, in order of
// occurrence. Throws the engine's compile error for markers that form no valid pattern.
void CollectTaggedTexts(std::u16string_view text, const TTagInfo& tag, TUnicodeStringList& list);
// The same on text already converted to narrow text (a run converts each file once).
void CollectTaggedTextsNarrow(const std::string& narrow_text, const TTagInfo& tag,
                              TUnicodeStringList& list);

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_TAGGED_TEXT_H_
