#include "count/nominal_alpha.h"

#include <numeric>

namespace farrowdale {

TCoincidenceMatrix::TCoincidenceMatrix(size_t values)
    : o_(values, std::vector<double>(values, 0)) {}

void TCoincidenceMatrix::AddUnit(const std::vector<int64_t>& value_counts, double times) {
  const int64_t m = std::accumulate(value_counts.begin(), value_counts.end(), int64_t{0});
  if (m < 2 || times == 0) return;
  const double weight = times / static_cast<double>(m - 1);
  for (size_t c = 0; c < o_.size(); ++c) {
    for (size_t k = 0; k < o_.size(); ++k) {
      const int64_t pairs = value_counts[c] * (value_counts[k] - (c == k ? 1 : 0));
      o_[c][k] += weight * static_cast<double>(pairs);
    }
  }
}

double TCoincidenceMatrix::pairable_values() const {
  double n = 0;
  for (const std::vector<double>& row : o_) n = std::accumulate(row.begin(), row.end(), n);
  return n;
}

double TCoincidenceMatrix::Observed() const {
  const double n = pairable_values();
  if (n <= 0) return 0;
  double disagreeing = 0;
  for (size_t c = 0; c < o_.size(); ++c) {
    for (size_t k = 0; k < o_.size(); ++k) {
      if (c != k) disagreeing += o_[c][k];
    }
  }
  return disagreeing / n;
}

double TCoincidenceMatrix::Expected() const {
  const double n = pairable_values();
  if (n <= 1) return 0;
  std::vector<double> margins;
  for (const std::vector<double>& row : o_) {
    margins.push_back(std::accumulate(row.begin(), row.end(), 0.0));
  }
  double expected = 0;
  for (size_t c = 0; c < margins.size(); ++c) {
    for (size_t k = 0; k < margins.size(); ++k) {
      if (c != k) expected += margins[c] * margins[k];
    }
  }
  return expected / (n * (n - 1));
}

std::optional<double> TCoincidenceMatrix::Alpha() const {
  const double expected = Expected();
  if (expected <= 0) return std::nullopt;
  return 1 - Observed() / expected;
}

}  // namespace farrowdale
