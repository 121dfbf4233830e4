// Krippendorff's alpha for nominal data, from the coincidence matrix, for any number of coders
// and values. Each unit contributes the pairs of values its coders gave, weighted 1/(m_u - 1)
// for its m_u values; a unit with fewer than two values is not pairable and adds nothing.
//   alpha = 1 - Do / De,  Do = sum_{c != k} o_ck / n,  De = sum_{c != k} n_c n_k / (n (n - 1))
#ifndef FARROWDALE_COUNT_NOMINAL_ALPHA_H_
#define FARROWDALE_COUNT_NOMINAL_ALPHA_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace farrowdale {

class TCoincidenceMatrix {
 public:
  explicit TCoincidenceMatrix(size_t values);

  // A unit, or `times` units alike: value_counts[c] coders gave it value c.
  // REQUIRES: value_counts.size() == values.
  void AddUnit(const std::vector<int64_t>& value_counts, double times = 1);

  double pairable_values() const;  // n
  double Observed() const;         // Do
  double Expected() const;         // De
  // None when De = 0 (no pairable values, or every value the same).
  std::optional<double> Alpha() const;

 private:
  std::vector<std::vector<double>> o_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_NOMINAL_ALPHA_H_
