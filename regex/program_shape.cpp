#include "regex/program_shape.h"

#include "regex/program.h"
#include "regex/program_nodes.h"

namespace farrowdale::regex {
namespace {

// A program's first node, after the magic byte.
constexpr int kTopNode = 1;

// A program of one alternative: the magic byte, then the alternative, whose chain goes on to
// End, the program's last node; the alternative's own nodes follow it. The position of End,
// or -1 for any other program.
int EndOfSingleAlternative(const std::vector<uint8_t>& code) {
  if (code.size() <= static_cast<size_t>(OperandOf(kTopNode)) || code[kTopNode] != kAlternative) {
    return -1;
  }
  const int end = NextNode(code.data(), kTopNode);
  if (end < 0 || static_cast<size_t>(end) + kNodeHeaderSize != code.size() || code[end] != kEnd) {
    return -1;
  }
  return end;
}

// The text of the literal nodes from node on, before stop; node is left at the first node
// that is not one (or -1 at the chain's end). None when a literal holds a zero character:
// its text then ends early and such a node never matches.
std::optional<std::string> LiteralNodesFrom(const std::vector<uint8_t>& code, int& node, int stop) {
  std::string literal;
  for (; node >= 0 && node != stop && code[node] == kLiteral; node = NextNode(code.data(), node)) {
    const std::string_view text = LiteralText(code.data(), node);
    if (text.empty()) return std::nullopt;
    literal += text;
  }
  return literal;
}

}  // namespace

std::optional<std::string> PlainLiteralOf(const Program& program) {
  const std::vector<uint8_t>& code = program.code;
  const int end = EndOfSingleAlternative(code);
  if (end < 0) return std::nullopt;
  int node = BranchOf(code.data(), kTopNode);
  std::optional<std::string> literal = LiteralNodesFrom(code, node, end);
  if (!literal || literal->empty() || node != end) return std::nullopt;
  return literal;
}

std::optional<LiteralPairShape> LiteralPairOf(const Program& program) {
  const std::vector<uint8_t>& code = program.code;
  const uint8_t* nodes = code.data();
  const int end_node = EndOfSingleAlternative(code);
  if (end_node < 0) return std::nullopt;
  int node = BranchOf(code.data(), kTopNode);
  std::optional<std::string> begin = LiteralNodesFrom(code, node, end_node);
  if (!begin || begin->empty() || node < 0 || code[node] != kGroupOpenFirst) return std::nullopt;
  // The group: one alternative, a lazy star of any character.
  const int alternative = NextNode(nodes, node);
  if (alternative < 0 || code[alternative] != kAlternative) return std::nullopt;
  const int close = NextNode(nodes, alternative);
  const int repeat = BranchOf(nodes, alternative);
  if (close < 0 || code[close] != kGroupCloseFirst || code[repeat] != kStarRepeatLazy ||
      NextNode(nodes, repeat) != close) {
    return std::nullopt;
  }
  const int any = RepeatOperand(nodes, repeat);
  if (code[any] != kAnyChar || NextNode(nodes, any) >= 0) return std::nullopt;
  node = NextNode(nodes, close);
  std::optional<std::string> end = LiteralNodesFrom(code, node, end_node);
  if (!end || end->empty() || node != end_node) return std::nullopt;
  return LiteralPairShape{std::move(*begin), std::move(*end)};
}

}  // namespace farrowdale::regex
