// The matches of every tag in one file's text, with each tag's pattern compiled once per run
// and the begin markers of all tags found in one pass over the text.
//
// A tag whose every match starts with a literal (the usual begin marker) has its matcher
// tried only at the multi-literal search's hits for that literal; any other tag (a begin
// marker that is a real pattern, or none) is searched as the engine searches it. Either way
// the matches are exactly those of ForEachTaggedSpan: leftmost, non-overlapping, in order.
//
// Contract: build a TTagScanner after the code page is chosen; it copies what it needs from
// the tag set. Scan is const and may run on several threads at once.
#ifndef FARROWDALE_RUN_TAG_SCANNER_H_
#define FARROWDALE_RUN_TAG_SCANNER_H_

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "regex/multi_literal_search.h"
#include "regex/pattern_search.h"
#include "run/tagged_text.h"
#include "tagset/tag_set.h"

namespace farrowdale {

class TTagScanner {
 public:
  // Compiles every tag that is not skipped. Throws, for the first tag whose markers form no
  // valid pattern, the error CompileTagPattern gives (naming the tag and tag_set_file).
  TTagScanner(const TTagArray& tag_set, const std::filesystem::path& tag_set_file);

  // For every tag that is not skipped, in tag order, where its matches lie in narrow_text.
  // The text ends at its first zero byte, as an engine's subject does. Throws the first
  // search error a tag raises, in tag order.
  std::vector<std::vector<TPassageSpan>> Scan(const std::string& narrow_text) const;

 private:
  struct TCompiledTag {
    std::shared_ptr<const TCompiledPattern> pattern;
    int literal = -1;  // index of its first literal in begin_literals_, or -1
  };

  std::vector<TCompiledTag> tags_;  // the tags that are not skipped
  regex::MultiLiteralSearch begin_literals_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_TAG_SCANNER_H_
