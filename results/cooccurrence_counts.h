// The result records of the co-occurrence count: how the passages of two tags meet in the
// texts. Data only; count/ computes them (CountCooccurrence), the tables and the combined report
// render them.
#ifndef FARROWDALE_RESULTS_COOCCURRENCE_COUNTS_H_
#define FARROWDALE_RESULTS_COOCCURRENCE_COUNTS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace farrowdale {

// Two tags A and B: their passages, and the pairs of one passage of each that share at least
// one character, each pair in exactly one relation.
struct TPairCounts {
  int64_t a_passages = 0;
  int64_t b_passages = 0;
  int64_t identical = 0;   // the same interval
  int64_t a_inside_b = 0;  // A's interval within B's, not the same
  int64_t b_inside_a = 0;
  int64_t crossing = 0;  // overlapping, neither within the other

  int64_t Cooccurring() const { return identical + a_inside_b + b_inside_a + crossing; }
  // n12 / (n1 + n2 - n12) with n12 = Cooccurring(); 0 when nothing co-occurs.
  double CCoefficient() const {
    const int64_t n12 = Cooccurring();
    return n12 == 0 ? 0.0
                    : static_cast<double>(n12) / static_cast<double>(a_passages + b_passages - n12);
  }
  // The same counts seen from B.
  TPairCounts Mirrored() const {
    return {b_passages, a_passages, identical, b_inside_a, a_inside_b, crossing};
  }
  TPairCounts& operator+=(const TPairCounts& other) {
    a_passages += other.a_passages;
    b_passages += other.b_passages;
    identical += other.identical;
    a_inside_b += other.a_inside_b;
    b_inside_a += other.b_inside_a;
    crossing += other.crossing;
    return *this;
  }
  bool operator==(const TPairCounts&) const = default;
};

// Every ordered pair of a run's tags (those not skipped, in tag order) in one text, or
// summed over several: the pair (a, b) at pairs[a * size() + b]. The diagonal stays zero.
class TCooccurrenceMatrix {
 public:
  TCooccurrenceMatrix() = default;
  explicit TCooccurrenceMatrix(size_t tags) : tags_(tags), pairs_(tags * tags) {}

  size_t size() const { return tags_; }
  const TPairCounts& At(size_t a, size_t b) const { return pairs_.at(a * tags_ + b); }
  TPairCounts& At(size_t a, size_t b) { return pairs_.at(a * tags_ + b); }

  // Adds other's counts pair by pair; an empty matrix takes other's size.
  TCooccurrenceMatrix& operator+=(const TCooccurrenceMatrix& other) {
    if (pairs_.empty()) *this = TCooccurrenceMatrix(other.tags_);
    for (size_t i = 0; i < pairs_.size() && i < other.pairs_.size(); ++i)
      pairs_[i] += other.pairs_[i];
    return *this;
  }
  bool operator==(const TCooccurrenceMatrix&) const = default;

 private:
  size_t tags_ = 0;
  std::vector<TPairCounts> pairs_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_RESULTS_COOCCURRENCE_COUNTS_H_
