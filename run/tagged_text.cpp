// Tagged-text extraction: a lazy group between the two markers, searched on narrow text.
#include "run/tagged_text.h"

#include "regex/pattern_engine.h"
#include "text/code_page.h"
#include "text/trim.h"

namespace farrowdale {

std::string TaggedTextPattern(const TTagInfo& tag) {
  std::string begin;
  if (tag.BeginMark.find('(') == std::string::npos) {
    // No "(": taken as it stands, a ")" included.
    begin = tag.BeginMark;
  } else {
    for (char c : tag.BeginMark) {
      if (c == '(' || c == ')') begin += '\\';
      begin += c;
    }
  }
  return begin + "(.*?)" + tag.EndMark;
}

void CheckTagPatterns(const TTagArray& tag_set, const std::filesystem::path& tag_set_file) {
  for (const TTagInfo& tag : tag_set) {
    if (IsSkippedTag(tag)) continue;
    const std::string pattern = TaggedTextPattern(tag);
    TPatternEngine engine;
    engine.SetExpression(pattern);
    try {
      // The engine compiles on its first search.
      engine.Exec("");
    } catch (const EPatternError& error) {
      throw EPatternError(TagErrorMessage(tag, tag_set_file, "pattern", pattern, error.what()),
                          error.ErrorNumber(), error.ErrorPosition());
    }
  }
}

void CollectTaggedTexts(std::u16string_view text, const TTagInfo& tag, TUnicodeStringList& list) {
  CollectTaggedTextsNarrow(ToNarrow(text), tag, list);
}

void CollectTaggedTextsNarrow(const std::string& narrow_text, const TTagInfo& tag,
                              TUnicodeStringList& list) {
  // A fresh engine (and compilation) per call keeps every file and tag independent. The
  // engine searches the text where it lies, so group 1 is read straight from it.
  TPatternEngine engine;
  engine.SetExpression(TaggedTextPattern(tag));
  for (bool found = engine.ExecInPlace(narrow_text); found; found = engine.ExecNext()) {
    const int start = engine.MatchPos(1);
    const std::string_view passage =
        start < 0 ? std::string_view()
                  : std::string_view(narrow_text).substr(start - 1, engine.MatchLen(1));
    const std::string_view trimmed = Trim(passage);
    if (!trimmed.empty()) list.AddEntry(ToUnicode(trimmed));
  }
}

}  // namespace farrowdale
