// Which tags' passages meet in a text: for two tags, the pairs of passages whose intervals in
// the stripped text (StrippedIntervals) share at least one character (touching intervals do
// not), each sorted into one relation (results/cooccurrence_counts.h). Pure functions of the
// intervals.
#ifndef FARROWDALE_COUNT_COOCCURRENCE_H_
#define FARROWDALE_COUNT_COOCCURRENCE_H_

#include <span>
#include <vector>

#include "count/coded_intervals.h"
#include "results/cooccurrence_counts.h"
#include "tagset/tag_set.h"

namespace farrowdale {

// The pair counts of tag A's intervals a and tag B's intervals b, in time linear in their
// number and the pairs found.
// REQUIRES: each list ordered by start, no two of its intervals overlapping (as one tag's
// passages never do); empty intervals may stand anywhere in that order.
TPairCounts CountPairs(std::span<const TInterval> a, std::span<const TInterval> b);

// Every ordered pair of the tags of tag_set that are not skipped, in tag order, in one text
// whose intervals per tag of tag_set are intervals[tag].
TCooccurrenceMatrix CountCooccurrence(const std::vector<std::vector<TInterval>>& intervals,
                                      const TTagArray& tag_set);

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_COOCCURRENCE_H_
