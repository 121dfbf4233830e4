#include "regex/search_hints.h"

#include <cstring>
#include <vector>

#include "regex/error_text.h"
#include "regex/program_nodes.h"
#include "text/code_page.h"

namespace farrowdale::regex {
namespace {

// Characters one single-character node can consume.
void AddNodeChars(const uint8_t* code, int node, ByteSet& set) {
  switch (code[node]) {
    case kLiteral:
      set.Add(LiteralBytes(code, node)[0]);
      break;
    case kLiteralNoCase:
      set.Add(LiteralBytes(code, node)[0]);
      set.Add(SwapCase(LiteralBytes(code, node)[0]));
      break;
    case kAnyOfFew:
      for (int i = 0; i < kFewSize; ++i) set.Add(FewChars(code, node)[i]);
      break;
    case kAnyButFew: {
      ByteSet others;
      for (int i = 0; i < kFewSize; ++i) others.Add(FewChars(code, node)[i]);
      others.Invert();
      set.AddSet(others);
      break;
    }
    case kAnyOfSet:
      for (int i = 0; i < kSetSize; ++i) set.bits[i] |= SetBits(code, node)[i];
      break;
    case kDigit:
      set.AddRange('0', '9');
      break;
    case kNonDigit:
      set.AddRange(1, '0' - 1);
      set.AddRange('9' + 1, 255);
      break;
    case kAnyChar:
    case kAnyInLine:
    case kBackRef:
    case kBackRefNoCase:
      set.Fill();
      break;
    default:
      throw MakePatternError(kErrUnknownNode, 0);
  }
}

// The union, over every path from the first node, of the characters a match can begin
// with. Each node's contribution is the same whenever it is reached, so every node is
// walked at most once (also keeps loops from cycling).
ByteSet LeadChars(const Program& program) {
  const uint8_t* code = program.code.data();
  ByteSet set;
  std::vector<bool> visited(program.code.size(), false);
  std::vector<int> pending{1};
  while (!pending.empty() && !set.IsFull()) {
    int node = pending.back();
    pending.pop_back();
    while (node != -1 && !visited[node]) {
      visited[node] = true;
      const uint8_t kind = code[node];
      int next = NextNode(code, node);
      switch (kind) {
        case kSubjectStart:
        case kLineStart:
        case kWordBoundary:
        case kNotWordBoundary:
        case kEmpty:
        case kComment:
        case kLoopBack:
        case kLoopEntry:
          break;
        case kSubjectEnd:
          set.Add(0);
          next = -1;
          break;
        case kLineEnd:
          // A line end can also stand before a line break: any character may begin a match.
          set.Fill();
          next = -1;
          break;
        case kEnd:
          set.Fill();
          next = -1;
          break;
        case kAlternative:
          if (next != -1 && code[next] == kAlternative) {
            for (int alt = node; alt != -1 && code[alt] == kAlternative;
                 alt = NextNode(code, alt)) {
              pending.push_back(BranchOf(code, alt));
            }
            next = -1;
          } else {
            next = BranchOf(code, node);
          }
          break;
        case kStarRepeat:
        case kStarRepeatLazy:
          AddNodeChars(code, RepeatOperand(code, node), set);
          break;
        case kPlusRepeat:
        case kPlusRepeatLazy:
          AddNodeChars(code, RepeatOperand(code, node), set);
          next = -1;
          break;
        case kCountRepeat:
        case kCountRepeatLazy:
          AddNodeChars(code, RepeatOperand(code, node), set);
          if (CountBounds(code, node).min > 0) next = -1;
          break;
        case kLoop:
        case kLoopLazy:
          pending.push_back(LoopBody(code, node));
          if (LoopBounds(code, node).min > 0) next = -1;
          break;
        default:
          if (IsGroupOpen(kind) || IsGroupClose(kind)) break;
          AddNodeChars(code, node, set);
          next = -1;
          break;
      }
      node = next;
    }
  }
  return set;
}

}  // namespace

SearchHints ComputeSearchHints(const Program& program) {
  SearchHints hints;
  const uint8_t* code = program.code.data();
  hints.lead_chars = LeadChars(program);
  const int next = NextNode(code, 1);
  if (next != -1 && code[next] == kAlternative) return hints;  // several top-level alternatives

  const int first = BranchOf(code, 1);
  if (code[first] == kLiteral) {
    hints.start_literal = LiteralText(code, first);
    hints.start_char = LiteralBytes(code, first)[0];
  } else if (code[first] == kSubjectStart) {
    hints.anchored = true;
  }
  if (program.starts_with_repetition) {
    for (int node = first; node != -1; node = NextNode(code, node)) {
      if (code[node] == kLiteral) {
        std::string_view text = LiteralText(code, node);
        if (!text.empty() && text.size() >= hints.must_contain.size()) hints.must_contain = text;
      }
      if (LinkOf(code, node) < 0) break;  // only forward along the top-level chain
    }
  }
  return hints;
}

}  // namespace farrowdale::regex
