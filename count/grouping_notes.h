// The check's notes on grouping: for each tag, the passages that differ from another one only
// in spacing, or only in the letter case of letters outside A-Z. The default grouping counts
// them apart; --fold-space and --fold-case would count them as one. A note changes no count
// and so is no problem: it tells the researcher that the choice matters for this corpus.
//
// A file's passages are first made distinct within the file (DistinctNotePassages, while the
// file's text is at hand), so that each distinct passage of a file is placed and handed over
// once. Files are added to TGroupingNotes from any thread in any order, each with its place in
// the order the notes follow, so that the threads that check the files add them.
#ifndef FARROWDALE_COUNT_GROUPING_NOTES_H_
#define FARROWDALE_COUNT_GROUPING_NOTES_H_

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace farrowdale {

// One distinct passage of one tag in one file.
struct TNotePassage {
  std::string text;   // trimmed, non-empty, narrow
  std::string place;  // of its first occurrence in the file ("FILE:LINE:COLUMN")
  int occurrences = 0;
};

// Each distinct text of passages (one file's trimmed, non-empty passages of one tag, in order of
// occurrence) once, in order of first occurrence, with how often it occurs. place_of is asked
// for the place of each first occurrence only, in the order of the passages.
std::vector<TNotePassage> DistinctNotePassages(
    const std::vector<std::string_view>& passages,
    const std::function<std::string(std::string_view)>& place_of);

class TGroupingNotes {
 public:
  explicit TGroupingNotes(size_t tag_count) : tags_(tag_count) {}

  // One file's passages of tag `tag`, as DistinctNotePassages gives them; file_order is the
  // file's place among the files (a passage's first occurrence is its first in the file first
  // in that order). Safe from several threads at once. REQUIRES: tag < the tag count; each
  // file added once per tag.
  void AddFile(size_t tag, size_t file_order, std::vector<TNotePassage>&& passages);

  // For tag `tag` named name, the notes there are, each a whole message:
  // tag "NAME": 3 passages differ from another only in spaces or line breaks (e.g. PLACE);
  // --fold-space counts them as one
  // tag "NAME": 2 passages differ from another only in letter case outside A-Z (A / B,
  // PLACE); --fold-case counts them as one
  // PLACE is where the example passage first occurs in the run. REQUIRES: every file added.
  std::vector<std::string> Notes(size_t tag, std::string_view name) const;

 private:
  // (file order, place among the file's distinct passages) of a first occurrence.
  using TOrder = std::pair<size_t, size_t>;
  struct TDistinct {
    std::string place;  // of the first occurrence
    TOrder order;       // of the first occurrence
    int occurrences = 0;
  };
  // Looks strings up by string_view without a copy.
  struct TTextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  struct TTag {
    std::mutex mutex;  // guards seen
    // Exact text -> seen; Notes does not depend on the order of the entries.
    std::unordered_map<std::string, TDistinct, TTextHash, std::equal_to<>> seen;
  };
  std::vector<TTag> tags_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_GROUPING_NOTES_H_
