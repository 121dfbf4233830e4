// The quicksort of the Unicode string list, on anything that can compare and exchange two
// positions. Its exact sequence of comparisons and exchanges decides the order of entries
// that compare equal, which reports show, so every sort that must give the list's tie order
// runs this one.
#ifndef FARROWDALE_TEXT_LIST_QUICKSORT_H_
#define FARROWDALE_TEXT_LIST_QUICKSORT_H_

#include <utility>
#include <vector>

namespace farrowdale {

// Sorts positions 0..count-1. compare(a, b) is negative, zero or positive as the entry at a
// sorts before, with or after the one at b; exchange(a, b) swaps two entries. The left part
// is sorted before the right one, as by recursion, but through an explicit stack so that no
// input can exhaust the call stack. The scans stop at the range's ends, which only a
// comparison that contradicts itself could pass.
template <typename Compare, typename Exchange>
void ListQuickSort(int count, Compare&& compare, Exchange&& exchange) {
  if (count < 2) return;
  std::vector<std::pair<int, int>> pending;
  pending.emplace_back(0, count - 1);
  while (!pending.empty()) {
    auto [left, right] = pending.back();
    pending.pop_back();
    int i = left;
    int j = right;
    int pivot = left + (right - left) / 2;
    do {
      while (i < right && compare(i, pivot) < 0) ++i;
      while (j > left && compare(j, pivot) > 0) --j;
      if (i <= j) {
        exchange(i, j);
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
    if (i < right) pending.emplace_back(i, right);
    if (left < j) pending.emplace_back(left, j);
  }
}

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_LIST_QUICKSORT_H_
