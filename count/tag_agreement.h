// The agreement of two coders on one tag in one text, and the measures of a row of the
// agreement table from its counts. Character-level measures take each character of the
// common text as a unit that each coder either codes with the tag or not.
#ifndef FARROWDALE_COUNT_TAG_AGREEMENT_H_
#define FARROWDALE_COUNT_TAG_AGREEMENT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "count/coded_intervals.h"
#include "count/passage_matching.h"
#include "results/agreement.h"

namespace farrowdale {

// a, b: each coder's passages of the tag (not merged) in a text of `characters` characters;
// matching: MatchPassages of a and b.
TAgreementCounts CountTagAgreement(const std::vector<TInterval>& a, const std::vector<TInterval>& b,
                                   int64_t characters, const TPassageMatching& matching);

// Adds every count of more, the unitized sums too, to total.
void AddCounts(TAgreementCounts& total, const TAgreementCounts& more);

// The row's measures from its counts.
TAgreementRow AgreementRow(std::string tag, std::string file, const TAgreementCounts& counts);

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_TAG_AGREEMENT_H_
