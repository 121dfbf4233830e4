// The string list's quicksort over any sequence: report tie orders depend on its exact
// sequence of comparisons and exchanges, so whatever sorts in its place (a list of ids, a
// frequency list) must take exactly the same steps to give the same order.
#ifndef FARROWDALE_TEXT_LIST_QUICKSORT_H_
#define FARROWDALE_TEXT_LIST_QUICKSORT_H_

#include <utility>
#include <vector>

namespace farrowdale {

// The ranges a quicksort has still to sort, last in first out: the first ones in place, more
// on the heap, so that the many short lists a run sorts allocate nothing for them.
class TPendingRanges {
 public:
  bool empty() const { return size_ == 0; }
  void Push(int left, int right) {
    if (size_ < kInPlace) {
      in_place_[size_] = {left, right};
    } else {
      more_.emplace_back(left, right);
    }
    ++size_;
  }
  std::pair<int, int> Pop() {
    --size_;
    if (size_ < kInPlace) return in_place_[size_];
    const std::pair<int, int> range = more_.back();
    more_.pop_back();
    return range;
  }

 private:
  static constexpr size_t kInPlace = 32;
  std::pair<int, int> in_place_[kInPlace];
  std::vector<std::pair<int, int>> more_;
  size_t size_ = 0;
};

// Sorts the positions [0, count) of a sequence: compare(i, j) is negative, zero or positive as
// the element at position i comes before, ties with or comes after the one at j; swap(i, j)
// exchanges the two elements. compare must not change the sequence.
template <typename Compare, typename Swap>
void ListQuicksort(int count, Compare&& compare, Swap&& swap) {
  if (count < 2) return;
  // The left part is sorted before the right one, as by recursion, but through an explicit
  // stack so that no input can exhaust the call stack. The scans stop at the range's ends,
  // which only a comparison that contradicts itself could pass.
  TPendingRanges pending;
  pending.Push(0, count - 1);
  while (!pending.empty()) {
    auto [left, right] = pending.Pop();
    int i = left;
    int j = right;
    int pivot = left + (right - left) / 2;
    do {
      while (i < right && compare(i, pivot) < 0) ++i;
      while (j > left && compare(j, pivot) > 0) --j;
      if (i <= j) {
        swap(i, j);
        if (pivot == i) {
          pivot = j;
        } else if (pivot == j) {
          pivot = i;
        }
        ++i;
        --j;
      }
    } while (i <= j);
    // The right part [i, right] waits below the left part [left, j], which runs first.
    if (i < right) pending.Push(i, right);
    if (left < j) pending.Push(left, j);
  }
}

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_LIST_QUICKSORT_H_
