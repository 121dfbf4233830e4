// The passages of every tag in one file's text, with each tag's pattern compiled once per run
// and the begin markers of all tags found in one pass over the text.
//
// A tag whose every match starts with a literal (the usual begin marker) has its matcher
// tried only at the multi-literal search's hits for that literal; any other tag (a begin
// marker that is a real pattern, or none) is searched as the engine searches it. Either way the
// passages are exactly those of CollectTaggedTextsNarrow: leftmost, non-overlapping, in order.
//
// Contract: build a TTagScanner after the code page is chosen and keep the tag set unchanged
// while it lives; Scan is const and may run on several threads at once. A tag whose markers
// form no valid pattern does not stop the construction: Scan throws its compile error when
// it reaches that tag, so errors come where a per-file, per-tag compilation raised them.
#ifndef FARROWDALE_RUN_TAG_SCANNER_H_
#define FARROWDALE_RUN_TAG_SCANNER_H_

#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "regex/matcher.h"
#include "regex/multi_literal_search.h"
#include "regex/search_hints.h"
#include "tagset/tag_set.h"

namespace farrowdale {

class TTagScanner {
 public:
  explicit TTagScanner(const TTagArray& tag_set);
  ~TTagScanner();

  // For every tag that is not skipped, in tag order, its trimmed, non-empty passages in order
  // of occurrence, as views into narrow_text (valid while it lives unchanged). The text ends
  // at its first zero byte, as an engine's subject does. Throws the first error a tag raises,
  // in tag order.
  std::vector<std::vector<std::string_view>> Scan(const std::string& narrow_text) const;

 private:
  struct TCompiledTag;
  // Compiles every tag that is not skipped into tags; returns the leading literals, in the
  // order of the tags that have one.
  static std::vector<std::string> CompileTags(const TTagArray& tag_set,
                                              const regex::SubjectView& settings,
                                              std::vector<std::unique_ptr<TCompiledTag>>& tags);

  std::vector<std::unique_ptr<TCompiledTag>> tags_;  // the tags that are not skipped
  regex::SubjectView settings_;                      // a default engine's line and word settings
  regex::MultiLiteralSearch begin_literals_;         // one literal per tag that has one
};

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_TAG_SCANNER_H_
