// Typed reads of a node's operand. Each checks the node's kind first and throws error 1001
// (the program is not what the reader expects) rather than reading another kind's bytes.
#ifndef FARROWDALE_REGEX_PROGRAM_NODES_H_
#define FARROWDALE_REGEX_PROGRAM_NODES_H_

#include <cstdint>
#include <cstring>
#include <string_view>

#include "regex/error_text.h"
#include "regex/program.h"

namespace farrowdale::regex {

struct Bounds {
  int32_t min;
  int32_t max;
};

inline void RequireKind(bool kind_fits) {
  if (!kind_fits) throw MakePatternError(kErrUnknownNode, 0);
}

// Min and max of a Loop or LoopLazy node.
inline Bounds LoopBounds(const uint8_t* code, int node) {
  RequireKind(code[node] == kLoop || code[node] == kLoopLazy);
  return Bounds{ReadInt32(code + OperandOf(node)), ReadInt32(code + OperandOf(node) + 4)};
}

// The first node of a Loop or LoopLazy node's operand (where an iteration starts).
inline int LoopBody(const uint8_t* code, int node) {
  RequireKind(code[node] == kLoop || code[node] == kLoopLazy);
  return node + ReadInt32(code + OperandOf(node) + 8);
}

// Min and max of a CountRepeat or CountRepeatLazy node.
inline Bounds CountBounds(const uint8_t* code, int node) {
  RequireKind(code[node] == kCountRepeat || code[node] == kCountRepeatLazy);
  return Bounds{ReadInt32(code + OperandOf(node)), ReadInt32(code + OperandOf(node) + 4)};
}

// The characters of a Literal or LiteralNoCase node.
inline std::string_view LiteralText(const uint8_t* code, int node) {
  RequireKind(code[node] == kLiteral || code[node] == kLiteralNoCase);
  const char* text = reinterpret_cast<const char*>(code + OperandOf(node));
  return std::string_view(text, std::strlen(text));
}

// The first node of an Alternative node's branch.
inline int BranchOf(const uint8_t* code, int node) {
  RequireKind(code[node] == kAlternative);
  return OperandOf(node);
}

// The node a StarRepeat, PlusRepeat or CountRepeat node (greedy or lazy) repeats.
inline int RepeatOperand(const uint8_t* code, int node) {
  switch (code[node]) {
    case kStarRepeat:
    case kPlusRepeat:
    case kStarRepeatLazy:
    case kPlusRepeatLazy:
      return OperandOf(node);
    case kCountRepeat:
    case kCountRepeatLazy:
      return OperandOf(node) + kCountSize;
    default:
      throw MakePatternError(kErrUnknownNode, 0);
  }
}

// The characters of a Literal or LiteralNoCase node, zero-terminated (the matcher compares
// up to the zero, as the subject's own terminating zero stops it at the subject's end).
inline const uint8_t* LiteralBytes(const uint8_t* code, int node) {
  RequireKind(code[node] == kLiteral || code[node] == kLiteralNoCase);
  return code + OperandOf(node);
}

// The kFewSize characters of an AnyOfFew or AnyButFew node.
inline const uint8_t* FewChars(const uint8_t* code, int node) {
  RequireKind(code[node] == kAnyOfFew || code[node] == kAnyButFew);
  return code + OperandOf(node);
}

// The kSetSize bytes of an AnyOfSet node's set (read with SetHas).
inline const uint8_t* SetBits(const uint8_t* code, int node) {
  RequireKind(code[node] == kAnyOfSet);
  return code + OperandOf(node);
}

// The group number a BackRef or BackRefNoCase node repeats.
inline int BackRefGroup(const uint8_t* code, int node) {
  RequireKind(code[node] == kBackRef || code[node] == kBackRefNoCase);
  return code[OperandOf(node)];
}

// The offset of the node that follows p in the block (not along its chain): for a
// repetition, its operand node, which the block holds inside it.
inline int NodeAfter(const uint8_t* code, int p) {
  const int operand = OperandOf(p);
  switch (code[p]) {
    case kLiteral:
    case kLiteralNoCase:
      return operand + static_cast<int>(LiteralText(code, p).size()) + 1;
    case kCountRepeat:
    case kCountRepeatLazy:
      return operand + kCountSize;
    case kLoop:
    case kLoopLazy:
      return operand + kLoopOperandSize;
    case kAnyOfFew:
    case kAnyButFew:
      return operand + kFewSize;
    case kAnyOfSet:
      return operand + kSetSize;
    case kBackRef:
    case kBackRefNoCase:
      return operand + 1;
    default:
      return operand;
  }
}

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_PROGRAM_NODES_H_
