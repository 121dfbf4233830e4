#include "count/cohen_kappa.h"

namespace farrowdale {

TKappa CohenKappa(const std::vector<std::vector<double>>& table) {
  const size_t k = table.size();
  std::vector<double> rows(k, 0), columns(k, 0);
  double total = 0;
  double diagonal = 0;
  for (size_t i = 0; i < k; ++i) {
    for (size_t j = 0; j < k; ++j) {
      rows[i] += table[i][j];
      columns[j] += table[i][j];
      total += table[i][j];
    }
    diagonal += table[i][i];
  }
  TKappa result;
  if (total <= 0) return result;
  result.observed = diagonal / total;
  for (size_t i = 0; i < k; ++i) result.expected += (rows[i] / total) * (columns[i] / total);
  if (result.expected < 1) {
    result.kappa = (result.observed - result.expected) / (1 - result.expected);
  }
  return result;
}

}  // namespace farrowdale
