// References for tests: the plain, slow ways of extracting and counting passages that the
// run's fast paths (the one-pass scanner, counting from its spans) must agree with. No
// product code calls them; changing them changes no report.
#ifndef FARROWDALE_TESTING_REFERENCE_COUNTS_H_
#define FARROWDALE_TESTING_REFERENCE_COUNTS_H_

#include <string>
#include <string_view>

#include "count/tag_scanner.h"
#include "results/stat_info.h"
#include "tagset/tag_set.h"
#include "text/passage_grouping.h"
#include "text/unicode_string_list.h"

namespace farrowdale {

// Appends every trimmed, non-empty passage between the tag's markers to list, in order of
// occurrence, from one engine of the tag's own (ForEachTaggedSpan). Throws the engine's
// compile error for markers that form no valid pattern.
void CollectTaggedTexts(std::u16string_view text, const TTagInfo& tag, TUnicodeStringList& list);
// The same on text already converted to narrow text.
void CollectTaggedTextsNarrow(const std::string& narrow_text, const TTagInfo& tag,
                              TUnicodeStringList& list);

// One file's results as the run counts them (CountTagsInSpans), from a scan of its own.
// REQUIRES: scanner was built from tag_set.
TStatArray CountTagsInText(const std::string& narrow_text, const TTagArray& tag_set,
                           const TTagScanner& scanner, bool one_file_mode,
                           TPassageGrouping grouping = {});

}  // namespace farrowdale

#endif  // FARROWDALE_TESTING_REFERENCE_COUNTS_H_
