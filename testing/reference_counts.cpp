#include "testing/reference_counts.h"

#include "count/file_counts.h"
#include "count/tagged_text.h"
#include "text/code_page.h"
#include "text/trim.h"

namespace farrowdale {

void CollectTaggedTexts(std::u16string_view text, const TTagInfo& tag, TUnicodeStringList& list) {
  CollectTaggedTextsNarrow(ToNarrow(text), tag, list);
}

void CollectTaggedTextsNarrow(const std::string& narrow_text, const TTagInfo& tag,
                              TUnicodeStringList& list) {
  ForEachTaggedSpan(narrow_text, tag, [&](const TPassageSpan& span) {
    const std::string_view passage =
        std::string_view(narrow_text).substr(span.text_begin, span.text_end - span.text_begin);
    const std::string_view trimmed = Trim(passage);
    if (!trimmed.empty()) list.AddEntry(ToUnicode(trimmed));
  });
}

TStatArray CountTagsInText(const std::string& narrow_text, const TTagArray& tag_set,
                           const TTagScanner& scanner, bool one_file_mode,
                           TPassageGrouping grouping) {
  return CountTagsInSpans(narrow_text, tag_set, scanner.Scan(narrow_text), one_file_mode, grouping);
}

}  // namespace farrowdale
