#include "count/tag_agreement.h"

#include <utility>

#include "count/cohen_kappa.h"
#include "count/nominal_alpha.h"
#include "count/passage_matching.h"
#include "count/unitized_alpha.h"

namespace farrowdale {

TAgreementCounts CountTagAgreement(const std::vector<TInterval>& a, const std::vector<TInterval>& b,
                                   int64_t characters, const TPassageMatching& matching) {
  const std::vector<std::vector<TInterval>> merged = {MergedIntervals(a), MergedIntervals(b)};
  TAgreementCounts counts;
  counts.characters = characters;
  counts.a_chars = CoveredLength(merged[0]);
  counts.b_chars = CoveredLength(merged[1]);
  counts.both_chars = CoderCountHistogram(merged, characters)[2];
  counts.a_passages = static_cast<int64_t>(a.size());
  counts.b_passages = static_cast<int64_t>(b.size());
  counts.matched = matching.matched;
  const TUnitizedDisagreement unitized = UnitizedDisagreement(merged, characters);
  counts.unitized_observed = unitized.observed;
  counts.unitized_expected = unitized.expected;
  return counts;
}

void AddCounts(TAgreementCounts& total, const TAgreementCounts& more) {
  total.characters += more.characters;
  total.a_chars += more.a_chars;
  total.b_chars += more.b_chars;
  total.both_chars += more.both_chars;
  total.a_passages += more.a_passages;
  total.b_passages += more.b_passages;
  total.matched += more.matched;
  total.unitized_observed += more.unitized_observed;
  total.unitized_expected += more.unitized_expected;
}

TAgreementRow AgreementRow(std::string tag, std::string file, const TAgreementCounts& counts) {
  TAgreementRow row{std::move(tag), std::move(file), counts, {}, {}, {}, {}, {}};
  const auto n11 = static_cast<double>(counts.both_chars);
  const auto n10 = static_cast<double>(counts.a_chars - counts.both_chars);
  const auto n01 = static_cast<double>(counts.b_chars - counts.both_chars);
  const auto n00 = static_cast<double>(counts.characters) - n11 - n10 - n01;
  if (counts.characters > 0) row.percent_all = (n11 + n00) / static_cast<double>(counts.characters);
  if (n11 + n10 + n01 > 0) row.percent_coded = n11 / (n11 + n10 + n01);
  row.kappa = CohenKappa({{n11, n10}, {n01, n00}}).kappa;
  TCoincidenceMatrix coincidences(2);  // value 0: not coded, 1: coded
  coincidences.AddUnit({0, 2}, n11);
  coincidences.AddUnit({1, 1}, n10 + n01);
  coincidences.AddUnit({2, 0}, n00);
  row.alpha = coincidences.Alpha();
  row.alpha_u =
      UnitizedAlpha(TUnitizedDisagreement{counts.unitized_observed, counts.unitized_expected});
  return row;
}

}  // namespace farrowdale
