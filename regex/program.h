// The compiled node program: node kinds, the byte layout of a node and small readers.
//
// A program is one byte block: the magic byte 216, then nodes. Every node is
//   kind (1 byte) | link (signed 32-bit, offset from the node's first byte to the next node
//   of its chain; 0 ends the chain) | operand (by kind).
// Integers are stored in the machine's byte order at any alignment (read with memcpy).
#ifndef FARROWDALE_REGEX_PROGRAM_H_
#define FARROWDALE_REGEX_PROGRAM_H_

#include <cstdint>
#include <cstring>
#include <string_view>

namespace farrowdale::regex {

enum NodeKind : uint8_t {
  kEnd = 0,
  kSubjectStart = 1,
  kSubjectEnd = 2,
  kAnyChar = 3,
  kAlternative = 6,
  kLoopBack = 7,
  kLiteral = 8,  // operand: characters, zero-terminated
  kEmpty = 9,
  kStarRepeat = 10,  // operand: one node
  kPlusRepeat = 11,  // operand: one node
  kDigit = 12,
  kNonDigit = 13,
  kCountRepeat = 18,  // operand: min, max (int32 each), one node
  kComment = 19,
  kLiteralNoCase = 20,  // operand: characters, zero-terminated
  kLoopEntry = 23,
  kLoop = 24,       // operand: min, max, back link (int32 each)
  kAnyOfFew = 25,   // operand: 3 characters, ascending, largest repeated to fill
  kAnyButFew = 26,  // operand: as kAnyOfFew
  kAnyOfSet = 27,   // operand: 256-bit set, bit c of byte c / 8, least significant first
  kBackRef = 28,    // operand: group number (1 byte)
  kBackRefNoCase = 29,
  kStarRepeatLazy = 30,
  kPlusRepeatLazy = 31,
  kCountRepeatLazy = 32,
  kLoopLazy = 33,
  kLineStart = 34,
  kLineEnd = 35,
  kAnyInLine = 36,
  kWordBoundary = 37,
  kNotWordBoundary = 38,
  kGroupOpenFirst = 40,  // GroupOpen n is 39 + n, n = 1..14
  kGroupOpenLast = 53,
  kGroupCloseFirst = 55,  // GroupClose n is 54 + n
  kGroupCloseLast = 68,
};

constexpr uint8_t kProgramMagic = 216;
constexpr int kNodeHeaderSize = 5;
constexpr int kMaxGroups = 14;
constexpr int kCaptureSlots = kMaxGroups + 1;  // slot 0 is the whole match
constexpr int kMaxActiveLoops = 10;
// Maximum of "*" and "+" on single characters, and of an open brace maximum ("{n,}").
constexpr int32_t kUnboundedRepeat = 2147483647;
constexpr int32_t kOpenBraceMax = 2147483646;

// Operand sizes beyond the header.
constexpr int kCountSize = 8;         // min, max
constexpr int kLoopOperandSize = 12;  // min, max, back link
constexpr int kFewSize = 3;
constexpr int kSetSize = 32;

inline int32_t ReadInt32(const uint8_t* p) {
  int32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void WriteInt32(uint8_t* p, int32_t v) { std::memcpy(p, &v, sizeof v); }

inline bool IsGroupOpen(uint8_t kind) { return kind >= kGroupOpenFirst && kind <= kGroupOpenLast; }
inline bool IsGroupClose(uint8_t kind) {
  return kind >= kGroupCloseFirst && kind <= kGroupCloseLast;
}

// The link of the node at p: the offset from p to the next node of its chain, 0 at the end
// (negative for a LoopBack's way back).
inline int32_t LinkOf(const uint8_t* code, int p) { return ReadInt32(code + p + 1); }
// Offset of the next node of p's chain, or -1 at the chain's end.
inline int NextNode(const uint8_t* code, int p) {
  const int32_t link = LinkOf(code, p);
  return link == 0 ? -1 : p + link;
}
inline int OperandOf(int p) { return p + kNodeHeaderSize; }

// A set of bytes, 256 bits, in the program's layout (bit c of byte c / 8).
struct ByteSet {
  uint8_t bits[32] = {};

  void Add(uint8_t c) { bits[c >> 3] |= static_cast<uint8_t>(1u << (c & 7)); }
  void AddRange(int from, int to) {
    for (int c = from; c <= to; ++c) Add(static_cast<uint8_t>(c));
  }
  void AddAll(std::string_view chars) {
    for (char c : chars) Add(static_cast<uint8_t>(c));
  }
  void AddSet(const ByteSet& other) {
    for (int i = 0; i < 32; ++i) bits[i] |= other.bits[i];
  }
  void Fill() { std::memset(bits, 0xFF, sizeof bits); }
  void Invert() {
    for (uint8_t& b : bits) b = static_cast<uint8_t>(~b);
  }
  bool Has(uint8_t c) const { return (bits[c >> 3] >> (c & 7)) & 1; }
  bool IsFull() const {
    for (uint8_t b : bits) {
      if (b != 0xFF) return false;
    }
    return true;
  }
  int Count() const {
    int n = 0;
    for (uint8_t b : bits) n += __builtin_popcount(b);
    return n;
  }
};

inline bool SetHas(const uint8_t* set_bytes, uint8_t c) {
  return (set_bytes[c >> 3] >> (c & 7)) & 1;
}

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_PROGRAM_H_
