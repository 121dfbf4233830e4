#include "run/distinct_passages.h"

#include <algorithm>
#include <unordered_map>

#include "text/code_page.h"
#include "text/collation.h"

namespace farrowdale {

std::vector<TTalliedPassage> TallyPassages(const std::vector<std::string_view>& passages) {
  std::vector<TTalliedPassage> distinct;
  std::unordered_map<std::string_view, size_t> index_of;
  index_of.reserve(passages.size());
  for (const std::string_view passage : passages) {
    const auto [found, added] = index_of.try_emplace(passage, distinct.size());
    if (added) distinct.push_back({ToUnicode(passage), 0});
    ++distinct[found->second].Occurrences;
  }
  return distinct;
}

bool SortByCollationWithoutTies(std::vector<TTalliedPassage>& passages, bool match_case) {
  // Ties are neighbours in any sorted order, so one look at each pair of neighbours finds them.
  std::sort(passages.begin(), passages.end(),
            [match_case](const TTalliedPassage& a, const TTalliedPassage& b) {
              return CompareText(a.Text, b.Text, match_case) < 0;
            });
  for (size_t i = 1; i < passages.size(); ++i) {
    if (CompareText(passages[i - 1].Text, passages[i].Text, match_case) == 0) return false;
  }
  return true;
}

TFrequencyList GroupSortedPassages(const std::vector<TTalliedPassage>& sorted) {
  std::vector<TSortedRun> runs;
  runs.reserve(sorted.size());
  for (const TTalliedPassage& passage : sorted) runs.push_back({passage.Text, passage.Occurrences});
  return GroupSortedRuns(runs, /*fold_case=*/true);
}

}  // namespace farrowdale
