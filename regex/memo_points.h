// The program points where the matcher remembers failed states: those a search can enter at
// one position along more than one path.
//
// Elsewhere a node is entered at a position only right after its single predecessor at a
// position that predecessor fixes, so it is entered at most as often as that predecessor.
// Remembering the join points therefore bounds a search as well as remembering every node,
// with a fraction of the rows. Joins are
// - the node after a repetition: entered at every cursor the repetition offers, and at one
//   cursor from every start of the repetition below it;
// - every node with more than one incoming edge: where the branches of an alternation meet,
//   the head of a loop that its LoopBack returns to, a Loop node (from its LoopEntry and
//   from the end of its body).
#ifndef FARROWDALE_REGEX_MEMO_POINTS_H_
#define FARROWDALE_REGEX_MEMO_POINTS_H_

#include <cstdint>
#include <vector>

namespace farrowdale::regex {

struct MemoPoints {
  std::vector<int32_t> row_of_node;  // by node offset: its row, or -1 when not remembered
  int rows = 0;
};

// code is a whole program (magic byte, then nodes).
MemoPoints FindMemoPoints(const std::vector<uint8_t>& code);

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_MEMO_POINTS_H_
