#include "regex/memo_points.h"

#include <algorithm>

#include "regex/program.h"
#include "regex/program_nodes.h"

namespace farrowdale::regex {
namespace {

bool IsRepetition(uint8_t kind) {
  return kind == kStarRepeat || kind == kPlusRepeat || kind == kCountRepeat ||
         kind == kStarRepeatLazy || kind == kPlusRepeatLazy || kind == kCountRepeatLazy;
}

}  // namespace

MemoPoints FindMemoPoints(const std::vector<uint8_t>& code) {
  const int size = static_cast<int>(code.size());
  const uint8_t* bytes = code.data();
  // Incoming edges per node, counted up to 2; a repetition's next counts as a join at once.
  std::vector<uint8_t> incoming(code.size(), 0);
  auto add_edge = [&](int to, int weight) {
    if (to > 0 && to < size)
      incoming[to] = static_cast<uint8_t>(std::min(2, incoming[to] + weight));
  };
  // A literal holding a zero character reads shorter than it is stored, so the walk may
  // land inside its bytes: every step checks that a whole node header lies in the program.
  // Such a stray step only adds or misses a memo row, which bounds time, never a result.
  auto fits = [&](int p) { return p > 0 && p + kNodeHeaderSize < size; };
  for (int p = 1; fits(p); p = NodeAfter(bytes, p)) {
    const uint8_t kind = bytes[p];
    const int next = NextNode(bytes, p);
    if (kind == kAlternative) {
      // The matcher goes into the branch, and on to the next Alternative when there is one.
      add_edge(BranchOf(bytes, p), 1);
      if (next > 0 && next < size && bytes[next] == kAlternative) add_edge(next, 1);
    } else if (kind == kLoop || kind == kLoopLazy) {
      if (NodeAfter(bytes, p) > size) break;
      add_edge(LoopBody(bytes, p), 1);
      add_edge(next, 1);
    } else if (IsRepetition(kind)) {
      add_edge(next, 2);
      // Its operand is matched in place, never entered as a node: skip over it.
      p = NodeAfter(bytes, p);
      if (!fits(p)) break;
    } else {
      add_edge(next, 1);
    }
  }
  MemoPoints points;
  points.row_of_node.assign(code.size(), -1);
  for (int p = 1; p < size; ++p) {
    if (incoming[p] >= 2) points.row_of_node[p] = points.rows++;
  }
  return points;
}

}  // namespace farrowdale::regex
