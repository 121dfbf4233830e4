// Cohen's kappa for two coders who each put every unit into one of k categories.
#ifndef FARROWDALE_COUNT_COHEN_KAPPA_H_
#define FARROWDALE_COUNT_COHEN_KAPPA_H_

#include <optional>
#include <vector>

namespace farrowdale {

struct TKappa {
  double observed = 0;          // Po: the share of units both coders put in one category
  double expected = 0;          // Pe: the share expected by chance from each coder's margins
  std::optional<double> kappa;  // (Po - Pe) / (1 - Pe); none when Pe = 1 or there are no units
};

// table[i][j]: the units coder A put in category i and coder B in category j.
// REQUIRES: table is square.
TKappa CohenKappa(const std::vector<std::vector<double>>& table);

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_COHEN_KAPPA_H_
