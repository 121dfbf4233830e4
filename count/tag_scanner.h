// The matches of every tag in one file's text, with each tag's pattern compiled once per run
// and the begin markers of all tags found in one pass over the text.
//
// A tag whose every match starts with a literal (the usual begin marker) has its matcher
// tried only at the multi-literal search's hits for that literal, and a tag whose markers are
// both plain literals needs no matcher where the pass found both; any other tag (a begin
// marker that is a real pattern, or none) is searched as the engine searches it. Either way
// the matches are exactly those of ForEachTaggedSpan: leftmost, non-overlapping, in order.
//
// The marker check also wants where each marker alone matches. ScanWithMarkerHits finds the
// markers that are plain literals in the same pass (each distinct literal once); a marker
// that is a real pattern is left to the check's own search.
//
// Contract: build a TTagScanner after the code page is chosen; it copies what it needs from
// the tag set. Scan and ScanWithMarkerHits are const and may run on several threads at once.
#ifndef FARROWDALE_COUNT_TAG_SCANNER_H_
#define FARROWDALE_COUNT_TAG_SCANNER_H_

#include <array>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "count/tagged_text.h"
#include "regex/multi_literal_search.h"
#include "regex/pattern_search.h"
#include "tagset/tag_set.h"

namespace farrowdale {

// A tag's search that failed in a text (error 1018, a search too complex, above all): the
// engine's error with the tag's name before its text, and the byte offset where the failing
// attempt started (the begin marker's hit, or where the search that failed began).
class ETagSearchError : public EPatternError {
 public:
  ETagSearchError(const EPatternError& cause, const std::string& tag_name, size_t offset);
  // The error for the user, naming besides the tag the text's file and the line and column
  // of offset in narrow_text (the text that was scanned).
  Error InFile(const std::filesystem::path& path, std::string_view narrow_text) const;

 private:
  std::string tag_name_;
  std::string cause_;
  size_t offset_;
};

// Where a marker alone matches: bytes start to end of the searched text.
struct TMarkerHit {
  size_t start = 0;
  size_t end = 0;
};

// One text's scan: every tag's matches and, where the scan found them, its markers' matches.
// Copies and moves keep everything valid; nothing points into the scanned text.
class TScannedText {
 public:
  // The matches of the k-th tag that is not skipped, as TTagScanner::Scan gives them.
  std::vector<std::vector<TPassageSpan>> spans;

  // Where the k-th tag's begin marker alone (BeginMarkerPattern) or end marker alone
  // matches, as the engine's search that restarts after each match finds it: leftmost,
  // non-overlapping, non-empty, in order, up to the text's first zero byte. Null when the
  // scan did not look (the marker is empty or no plain literal): search for it yourself.
  const std::vector<TMarkerHit>* BeginMarkerHits(size_t k) const { return HitsOf(k, 0); }
  const std::vector<TMarkerHit>* EndMarkerHits(size_t k) const { return HitsOf(k, 1); }

 private:
  friend class TTagScanner;
  const std::vector<TMarkerHit>* HitsOf(size_t k, size_t marker) const;

  std::vector<std::vector<TMarkerHit>> literal_hits_;  // by the scanner's literal index
  std::vector<std::array<int, 2>> tag_markers_;        // per tag: literal index or -1
};

class TTagScanner {
 public:
  // Compiles every tag that is not skipped. Throws, for the first tag whose markers form no
  // valid pattern, the error CompileTagPattern gives (naming the tag and tag_set_file).
  TTagScanner(const TTagArray& tag_set, const std::filesystem::path& tag_set_file);

  // For every tag that is not skipped, in tag order, where its matches lie in narrow_text.
  // The text ends at its first zero byte, as an engine's subject does. Throws the first
  // search error a tag raises, in tag order, as ETagSearchError.
  std::vector<std::vector<TPassageSpan>> Scan(const std::string& narrow_text) const;
  // The same matches, and the marker hits the scan can find in its one pass. Throws as Scan.
  TScannedText ScanWithMarkerHits(const std::string& narrow_text) const;

 private:
  struct TCompiledTag {
    std::shared_ptr<const TCompiledPattern> pattern;
    std::string name;  // as the tag set gives it, for errors
    int literal = -1;  // index of its first literal in literals_, or -1
    // Index in literals_ of its begin and end marker when that marker is a plain literal.
    std::array<int, 2> markers = {-1, -1};
    // Index in literals_ of its end marker when its pattern is its begin literal, any
    // characters (as few as possible) and its end literal: its matches then follow from the
    // two literals' hits, without the matcher. -1 otherwise.
    int pair_end = -1;
  };

  // The text up to its first zero byte; throws when the engine could not search it.
  static std::string_view SearchedText(const std::string& narrow_text);
  std::vector<std::vector<TPassageSpan>> SpansFromHits(
      std::string_view text, const std::vector<std::vector<size_t>>& hits) const;

  std::vector<TCompiledTag> tags_;  // the tags that are not skipped
  // Every tag's first literal, then the marker literals that are not among them; each once.
  std::vector<std::string> literals_;
  std::vector<int> marker_literals_;  // indices in literals_ of the marker literals, each once
  // Every tag's first literal alone (what Scan needs), and all literals.
  regex::MultiLiteralSearch first_literals_{std::vector<std::string>()};
  regex::MultiLiteralSearch all_literals_{std::vector<std::string>()};
};

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_TAG_SCANNER_H_
