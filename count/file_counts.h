// One file's results: the counts of every tag from the matches of the run's one scan of the
// file's text.
#ifndef FARROWDALE_COUNT_FILE_COUNTS_H_
#define FARROWDALE_COUNT_FILE_COUNTS_H_

#include <string>
#include <vector>

#include "count/tagged_text.h"
#include "results/stat_info.h"
#include "tagset/tag_set.h"
#include "text/passage_grouping.h"

namespace farrowdale {

// A TStatInfo for every tag of tag_set that is not skipped, in tag order, from the file's
// whole text already converted to narrow text and spans[k], the matches of the k-th such tag
// (TTagScanner::Scan). Passages are kept only in one-file mode. Safe to call from several
// threads at once.
TStatArray CountTagsInSpans(const std::string& narrow_text, const TTagArray& tag_set,
                            const std::vector<std::vector<TPassageSpan>>& spans, bool one_file_mode,
                            TPassageGrouping grouping = {});

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_FILE_COUNTS_H_
