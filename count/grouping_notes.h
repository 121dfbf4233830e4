// The check's notes on grouping: for each tag, the passages that differ from another one only
// in spacing, or only in the letter case of letters outside A-Z. The default grouping counts
// them apart; --fold-space and --fold-case would count them as one. A note changes no count
// and so is no problem: it tells the researcher that the choice matters for this corpus.
//
// Not thread-safe: add the files' passages from one thread, in file order.
#ifndef FARROWDALE_COUNT_GROUPING_NOTES_H_
#define FARROWDALE_COUNT_GROUPING_NOTES_H_

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace farrowdale {

class TGroupingNotes {
 public:
  explicit TGroupingNotes(size_t tag_count) : tags_(tag_count) {}

  // One trimmed, non-empty passage of tag `tag` (narrow text) and where it stands
  // ("FILE:LINE:COLUMN"). REQUIRES: tag < the tag count.
  void AddPassage(size_t tag, std::string_view passage, std::string_view place);

  // For tag `tag` named name, the notes there are, each a whole message:
  // tag "NAME": 3 passages differ from another only in spaces or line breaks (e.g. PLACE);
  // --fold-space counts them as one
  // tag "NAME": 2 passages differ from another only in letter case outside A-Z (A / B,
  // PLACE); --fold-case counts them as one
  std::vector<std::string> Notes(size_t tag, std::string_view name) const;

 private:
  struct TDistinct {
    std::string place;  // of the first occurrence
    size_t order = 0;   // of first occurrence among the tag's distinct passages
    int occurrences = 0;
  };
  std::vector<std::map<std::string, TDistinct, std::less<>>> tags_;  // exact text -> seen
};

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_GROUPING_NOTES_H_
