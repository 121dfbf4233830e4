#include "regex/compiler.h"

#include <cstring>
#include <vector>

#include "regex/error_text.h"
#include "regex/pattern_engine.h"
#include "regex/pattern_syntax.h"
#include "regex/program.h"
#include "text/case_variants.h"
#include "text/code_page.h"

namespace farrowdale::regex {
namespace {

// Piece properties that steer the compiler.
constexpr int kHasWidth = 1;              // cannot match the empty text
constexpr int kSingleCharacter = 2;       // always matches exactly one character
constexpr int kStartsWithRepetition = 4;  // is, or begins with, a repeated piece

bool IsQuantifier(char c) { return c == '*' || c == '+' || c == '?' || c == '{'; }
bool IsExtendedSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int ModifierBit(char c) {
  switch (c) {
    case 'i':
    case 'I':
      return TPatternEngine::kModifierI;
    case 'r':
    case 'R':
      return TPatternEngine::kModifierR;
    case 's':
    case 'S':
      return TPatternEngine::kModifierS;
    case 'g':
    case 'G':
      return TPatternEngine::kModifierG;
    case 'm':
    case 'M':
      return TPatternEngine::kModifierM;
    case 'x':
    case 'X':
      return TPatternEngine::kModifierX;
    default:
      return 0;
  }
}

class Compiler {
 public:
  Compiler(std::string_view pattern, const CompileSettings& settings)
      : pattern_(pattern), settings_(settings) {}

  Program Run() {
    Program program;
    // Pass 1: sizes only.
    RunPass(false);
    program.code.assign(size_, 0);
    code_ = program.code.data();
    // Pass 2: writes the nodes into the exactly sized block.
    int flags = RunPass(true);
    program.code[0] = kProgramMagic;
    program.modifiers = settings_.modifiers;
    program.group_count = next_group_ - 1;
    program.has_back_refs = has_back_refs_;
    program.starts_with_repetition = (flags & kStartsWithRepetition) != 0;
    return program;
  }

 private:
  int RunPass(bool emitting) {
    emitting_ = emitting;
    size_ = 1;  // the magic byte
    pos_ = 0;
    next_group_ = 1;
    modifiers_ = settings_.modifiers;
    has_back_refs_ = false;
    int flags = 0;
    ParseAlternation(false, &flags);
    return flags;
  }

  char Peek(size_t ahead = 0) const {
    return pos_ + ahead < pattern_.size() ? pattern_[pos_ + ahead] : '\0';
  }
  bool On(int modifier) const { return (modifiers_ & modifier) != 0; }

  [[noreturn]] void Fail(int number) { Fail(number, pos_); }
  [[noreturn]] void Fail(int number, size_t position) {
    throw MakePatternError(number, static_cast<int>(position));
  }

  // ---- emission (pass 1 only counts) ----

  int EmitNode(NodeKind kind) {
    int at = static_cast<int>(size_);
    if (emitting_) {
      code_[at] = kind;
      WriteInt32(code_ + at + 1, 0);
    }
    size_ += kNodeHeaderSize;
    return at;
  }
  void EmitByte(uint8_t b) {
    if (emitting_) code_[size_] = b;
    ++size_;
  }
  void EmitInt(int32_t v) {
    if (emitting_) WriteInt32(code_ + size_, v);
    size_ += 4;
  }
  // Moves everything from `at` up by `size` bytes and puts a `kind` node (header plus zeroed
  // operand) in the gap. Links are relative, so the moved nodes stay intact.
  void InsertNode(NodeKind kind, int at, int size) {
    if (emitting_) {
      std::memmove(code_ + at + size, code_ + at, size_ - at);
      std::memset(code_ + at, 0, size);
      code_[at] = kind;
    }
    size_ += size;
  }
  void WriteIntAt(int at, int32_t v) {
    if (emitting_) WriteInt32(code_ + at, v);
  }
  // Sets the link of the last node of p's chain to target.
  void Tail(int p, int target) {
    if (!emitting_) return;
    for (int next = NextNode(code_, p); next != -1; next = NextNode(code_, p)) p = next;
    WriteInt32(code_ + p + 1, target - p);
  }
  // Tail of the operand chain, for Alternative nodes.
  void OperandTail(int p, int target) {
    if (!emitting_ || code_[p] != kAlternative) return;
    Tail(OperandOf(p), target);
  }

  // ---- grammar ----

  // An alternation, the whole pattern or the inside of a group (opened just before).
  int ParseAlternation(bool in_group, int* flags_out) {
    *flags_out = kHasWidth;
    const int saved_modifiers = modifiers_;
    int group = 0;
    int ret = -1;
    if (in_group) {
      if (next_group_ > kMaxGroups) Fail(kErrTooManyGroups);
      group = next_group_++;
      ret = EmitNode(static_cast<NodeKind>(kGroupOpenFirst - 1 + group));
    }
    int last = ret;  // linking from the previous alternative keeps long alternations linear
    for (bool first = true;; first = false) {
      if (!first) ++pos_;  // the "|"
      int flags = 0;
      int branch = ParseBranch(&flags);
      if (ret == -1) {
        ret = branch;
      } else {
        Tail(last, branch);
      }
      last = branch;
      if (!(flags & kHasWidth)) *flags_out &= ~kHasWidth;
      *flags_out |= flags & kStartsWithRepetition;
      if (Peek() != '|') break;
    }
    int ender = EmitNode(in_group ? static_cast<NodeKind>(kGroupCloseFirst - 1 + group) : kEnd);
    Tail(last, ender);
    if (emitting_) {
      for (int br = ret; br != -1; br = NextNode(code_, br)) OperandTail(br, ender);
    }
    if (in_group) {
      if (Peek() != ')') Fail(kErrUnmatchedGroup);
      ++pos_;
      modifiers_ = saved_modifiers;
    } else if (Peek() != '\0') {
      Fail(Peek() == ')' ? kErrUnmatchedClose : kErrJunkOnEnd);
    }
    return ret;
  }

  // One alternative: an Alternative node whose operand is the chain of pieces.
  int ParseBranch(int* flags_out) {
    *flags_out = 0;
    int ret = EmitNode(kAlternative);
    int chain = -1;
    while (Peek() != '\0' && Peek() != '|' && Peek() != ')') {
      int flags = 0;
      int latest = ParsePiece(&flags);
      *flags_out |= flags & kHasWidth;
      if (chain == -1) {
        *flags_out |= flags & kStartsWithRepetition;
      } else {
        Tail(chain, latest);
      }
      chain = latest;
    }
    if (chain == -1) EmitNode(kEmpty);
    return ret;
  }

  // "{" n [ "," [ m ] ] "}" at the cursor. False (cursor unmoved) when the text does not
  // have this form; then the brace is literal text.
  bool ParseBraces(int32_t* min, int32_t* max) {
    size_t p = pos_ + 1;
    auto at = [&](size_t i) { return i < pattern_.size() ? pattern_[i] : '\0'; };
    const size_t min_start = p;
    while (IsDigit(at(p))) ++p;
    const size_t min_end = p;
    if (min_end == min_start) return false;
    size_t max_start = 0, max_end = 0;
    bool has_comma = false;
    if (at(p) == ',') {
      has_comma = true;
      max_start = ++p;
      while (IsDigit(at(p))) ++p;
      max_end = p;
    }
    if (at(p) != '}') return false;
    auto number = [&](size_t from, size_t to) {
      if (to - from > 8) Fail(kErrBracesTooBig, to);
      int32_t v = 0;
      for (size_t i = from; i < to; ++i) v = v * 10 + (pattern_[i] - '0');
      return v;
    };
    *min = number(min_start, min_end);
    if (!has_comma) {
      *max = *min;
    } else if (max_end == max_start) {
      *max = kOpenBraceMax;
    } else {
      *max = number(max_start, max_end);
    }
    if (*min > *max) Fail(kErrBraceMinAboveMax, p);
    pos_ = p + 1;
    return true;
  }

  // An atom and its quantifier, if any.
  int ParsePiece(int* flags_out) {
    int flags = 0;
    const int ret = ParseAtom(&flags);
    const char op = Peek();
    if (!IsQuantifier(op)) {
      *flags_out = flags;
      return ret;
    }
    if (!(flags & kHasWidth) && op != '?') Fail(kErrOperandCouldBeEmpty);
    int32_t min = 0, max = kUnboundedRepeat;
    if (op == '{') {
      if (!ParseBraces(&min, &max)) {
        *flags_out = flags;
        return ret;
      }
    } else {
      ++pos_;
      if (op == '+') min = 1;
      if (op == '?') max = 1;
    }
    bool lazy_mark = false;
    if (Peek() == '?') {
      ++pos_;
      lazy_mark = true;
    }
    const bool greedy = On(TPatternEngine::kModifierG) && !lazy_mark;
    if (IsQuantifier(Peek())) Fail(kErrNestedQuantifier);
    const bool single = (flags & kSingleCharacter) != 0;

    switch (op) {
      case '*':
        if (single) {
          InsertNode(greedy ? kStarRepeat : kStarRepeatLazy, ret, kNodeHeaderSize);
        } else if (greedy) {
          EmitGreedyStar(ret);
        } else {
          EmitCountedLoop(ret, false, 0, kOpenBraceMax);
        }
        *flags_out = kStartsWithRepetition;
        break;
      case '+':
        if (single) {
          InsertNode(greedy ? kPlusRepeat : kPlusRepeatLazy, ret, kNodeHeaderSize);
        } else if (greedy) {
          EmitGreedyPlus(ret);
        } else {
          EmitCountedLoop(ret, false, 1, kOpenBraceMax);
        }
        *flags_out = kHasWidth | kStartsWithRepetition;
        break;
      case '?':
        if (greedy) {
          EmitGreedyOptional(ret);
        } else if (single) {
          EmitCountRepeat(ret, kCountRepeatLazy, 0, 1);
        } else {
          EmitCountedLoop(ret, false, 0, 1);
        }
        *flags_out = 0;
        break;
      default:  // braces
        if (single) {
          EmitCountRepeat(ret, greedy ? kCountRepeat : kCountRepeatLazy, min, max);
        } else {
          EmitCountedLoop(ret, greedy, min, max);
        }
        *flags_out = (min > 0 ? kHasWidth : 0) | (max > 0 ? kStartsWithRepetition : 0);
        break;
    }
    return ret;
  }

  // x*: Alternative(x, LoopBack to this Alternative), Alternative(Empty).
  void EmitGreedyStar(int ret) {
    InsertNode(kAlternative, ret, kNodeHeaderSize);
    OperandTail(ret, EmitNode(kLoopBack));
    OperandTail(ret, ret);
    Tail(ret, EmitNode(kAlternative));
    Tail(ret, EmitNode(kEmpty));
  }
  // x+: x, then Alternative(LoopBack to x), Alternative(Empty).
  void EmitGreedyPlus(int ret) {
    int next = EmitNode(kAlternative);
    Tail(ret, next);
    Tail(EmitNode(kLoopBack), ret);
    Tail(next, EmitNode(kAlternative));
    Tail(ret, EmitNode(kEmpty));
  }
  // x?: Alternative(x), Alternative(Empty).
  void EmitGreedyOptional(int ret) {
    InsertNode(kAlternative, ret, kNodeHeaderSize);
    Tail(ret, EmitNode(kAlternative));
    int next = EmitNode(kEmpty);
    Tail(ret, next);
    OperandTail(ret, next);
  }
  void EmitCountRepeat(int ret, NodeKind kind, int32_t min, int32_t max) {
    InsertNode(kind, ret, kNodeHeaderSize + kCountSize);
    WriteIntAt(ret + kNodeHeaderSize, min);
    WriteIntAt(ret + kNodeHeaderSize + 4, max);
  }
  // LoopEntry, x, Loop(min, max, back link to x); LoopEntry links to the Loop node.
  void EmitCountedLoop(int ret, bool greedy, int32_t min, int32_t max) {
    InsertNode(kLoopEntry, ret, kNodeHeaderSize);
    const int operand = ret + kNodeHeaderSize;
    const int loop = EmitNode(greedy ? kLoop : kLoopLazy);
    EmitInt(min);
    EmitInt(max);
    EmitInt(operand - loop);
    Tail(ret, loop);
    Tail(operand, loop);
  }

  int ParseAtom(int* flags_out) {
    *flags_out = 0;
    const char c = Peek();
    if (On(TPatternEngine::kModifierX) && (IsExtendedSpace(c) || c == '#')) {
      SkipExtendedSpace();
      return EmitNode(kComment);
    }
    ++pos_;
    switch (c) {
      case '^':
        return EmitNode(On(TPatternEngine::kModifierM) && settings_.line_breaks_defined
                            ? kLineStart
                            : kSubjectStart);
      case '$':
        return EmitNode(On(TPatternEngine::kModifierM) && settings_.line_breaks_defined
                            ? kLineEnd
                            : kSubjectEnd);
      case '.':
        *flags_out = kHasWidth | (On(TPatternEngine::kModifierS) ? kSingleCharacter : 0);
        return EmitNode(On(TPatternEngine::kModifierS) ? kAnyChar : kAnyInLine);
      case '[':
        *flags_out = kHasWidth | kSingleCharacter;
        return ParseClass();
      case '(':
        if (Peek() == '?') return ParseCommentOrModifiers();
        {
          int flags = 0;
          int ret = ParseAlternation(true, &flags);
          *flags_out = flags & (kHasWidth | kStartsWithRepetition);
          return ret;
        }
      case '\0':
      case '|':
      case ')':
        Fail(kErrInternalUrp);
      case '?':
      case '+':
      case '*':
        Fail(kErrQuantifierFollowsNothing);
      case '\\':
        return ParseEscape(flags_out);
      default:
        --pos_;
        return ParseLiteralRun(flags_out);
    }
  }

  // Under x: white space and "#" comments up to the line end (and the line breaks after it).
  void SkipExtendedSpace() {
    for (;;) {
      char c = Peek();
      if (IsExtendedSpace(c)) {
        ++pos_;
      } else if (c == '#') {
        while (Peek() != '\0' && Peek() != '\r' && Peek() != '\n') ++pos_;
      } else {
        return;
      }
    }
  }

  // After "(?": a comment "(?#...)" or modifier letters "(?imsrgx-imsrgx)".
  int ParseCommentOrModifiers() {
    ++pos_;  // "?"
    if (Peek() == '#') {
      while (Peek() != '\0' && Peek() != ')') ++pos_;
      if (Peek() == '\0') Fail(kErrUnclosedComment);
      ++pos_;
      return EmitNode(kComment);
    }
    bool switching_on = true;
    for (;;) {
      const char c = Peek();
      if (c == ')') break;
      if (c == '-') {
        switching_on = false;
      } else if (int bit = ModifierBit(c); bit != 0) {
        modifiers_ = switching_on ? (modifiers_ | bit) : (modifiers_ & ~bit);
      } else {
        Fail(kErrBadModifier);
      }
      ++pos_;
    }
    ++pos_;
    return EmitNode(kComment);
  }

  // The longest run of non-metacharacters from the cursor; when a quantifier follows a run of
  // several characters, its last character is left to be the quantifier's operand.
  int ParseLiteralRun(int* flags_out) {
    const bool extended = On(TPatternEngine::kModifierX);
    const size_t start = pos_;
    size_t end = start + (Peek() == '{' ? 1 : 0);
    while (end < pattern_.size() && !IsPatternOperator(pattern_[end]) &&
           !(extended && pattern_[end] == '#'))
      ++end;
    if (FoldsBeyondAscii()) {
      // A character with case variants beyond the ASCII pairs is an atom of its own.
      for (size_t at = start; at < end;) {
        const Utf8Character character = FirstUtf8Character(pattern_.substr(at, end - at));
        if (HasVariantsBeyondAscii(character)) {
          if (at > start) {
            end = at;
            break;
          }
          pos_ = at + character.length;
          *flags_out = kHasWidth;
          return EmitCaseVariants(character.code_point);
        }
        at += character.length;
      }
    }
    size_t length = end - start;
    if (length == 0) Fail(kErrInternalDisaster);
    const char after = end < pattern_.size() ? pattern_[end] : '\0';
    if (length > 1 && IsQuantifier(after)) {
      // The quantifier takes the run's last character: in UTF-8 text all of its bytes (alone,
      // they are a run of several bytes, repeated as a whole).
      const size_t last =
          settings_.utf8_text ? LastUtf8CharacterLength(pattern_.substr(start, length)) : 1;
      if (last < length) length -= last;
    }
    pos_ = start + length;
    *flags_out = kHasWidth | (length == 1 ? kSingleCharacter : 0);
    const int ret = EmitNode(On(TPatternEngine::kModifierI) ? kLiteralNoCase : kLiteral);
    for (size_t i = start; i < start + length; ++i) {
      if (extended && IsExtendedSpace(pattern_[i])) continue;
      EmitByte(static_cast<uint8_t>(pattern_[i]));
    }
    EmitByte(0);
    return ret;
  }

  // Under i in UTF-8 text, letters take their case variants from Unicode's simple case
  // folding (a single-byte code page's pairs are those of SwapCase, byte for byte).
  bool FoldsBeyondAscii() const { return On(TPatternEngine::kModifierI) && settings_.utf8_text; }

  // The length of the well-formed UTF-8 character that ends bytes, or 1.
  static size_t LastUtf8CharacterLength(std::string_view bytes) {
    for (size_t back = 2; back <= 4 && back <= bytes.size(); ++back) {
      const auto c = static_cast<unsigned char>(bytes[bytes.size() - back + 1]);
      if ((c & 0xC0) != 0x80) return 1;
      if (FirstUtf8Character(bytes.substr(bytes.size() - back)).length == back) return back;
    }
    return 1;
  }

  static bool HasVariantsBeyondAscii(const Utf8Character& character) {
    if (character.length == 0 || (character.code_point == 0 && character.length == 1)) {
      return false;  // an ill-formed byte stands for itself
    }
    const std::vector<char32_t> variants = SimpleCaseVariants(character.code_point);
    return variants.size() > 1 && variants.back() >= 0x80;
  }

  // One alternative per case variant of c, each its UTF-8 bytes as a Literal, joined by an
  // Empty node the way a group's alternatives are joined by its GroupClose node.
  int EmitCaseVariants(char32_t c) {
    int ret = -1;
    int last = -1;
    for (const char32_t variant : SimpleCaseVariants(c)) {
      const int branch = EmitNode(kAlternative);
      EmitNode(kLiteral);
      for (const char byte : Utf8Of(variant)) EmitByte(static_cast<uint8_t>(byte));
      EmitByte(0);
      if (ret == -1) {
        ret = branch;
      } else {
        Tail(last, branch);
      }
      last = branch;
    }
    const int ender = EmitNode(kEmpty);
    Tail(last, ender);
    if (emitting_) {
      for (int branch = ret; branch != ender; branch = NextNode(code_, branch)) {
        OperandTail(branch, ender);
      }
    }
    return ret;
  }

  int EmitLiteralChar(uint8_t c) {
    const int ret = EmitNode(On(TPatternEngine::kModifierI) ? kLiteralNoCase : kLiteral);
    EmitByte(c);
    EmitByte(0);
    return ret;
  }

  // After "\" outside a class.
  int ParseEscape(int* flags_out) {
    const char e = Peek();
    if (e == '\0') Fail(kErrTrailingBackslash);
    ++pos_;
    *flags_out = kHasWidth | kSingleCharacter;
    switch (e) {
      case 'A':
        *flags_out = 0;
        return EmitNode(kSubjectStart);
      case 'Z':
        *flags_out = 0;
        return EmitNode(kSubjectEnd);
      case 'b':
        *flags_out = 0;
        return EmitNode(kWordBoundary);
      case 'B':
        *flags_out = 0;
        return EmitNode(kNotWordBoundary);
      case 'd':
        return EmitNode(kDigit);
      case 'D':
        return EmitNode(kNonDigit);
      case 's':
      case 'S':
      case 'w':
      case 'W': {
        ByteSet set;
        set.AddAll(e == 's' || e == 'S' ? settings_.whitespace_set : settings_.word_character_set);
        return EmitClass(set, e == 'S' || e == 'W');
      }
      default:
        if (e >= '1' && e <= '9') {
          has_back_refs_ = true;
          const int ret = EmitNode(On(TPatternEngine::kModifierI) ? kBackRefNoCase : kBackRef);
          EmitByte(static_cast<uint8_t>(e - '0'));
          return ret;
        }
        return EmitLiteralChar(EscapedChar(e));
    }
  }

  // The character an escape letter stands for (the letter itself unless it names a control
  // character or a hexadecimal code); the cursor is just after the letter.
  uint8_t EscapedChar(char e) {
    switch (e) {
      case 't':
        return 9;
      case 'n':
        return 10;
      case 'r':
        return 13;
      case 'f':
        return 12;
      case 'a':
        return 7;
      case 'e':
        return 27;
      case 'x':
        return ParseHexCode();
      default:
        return static_cast<uint8_t>(e);
    }
  }

  // After "\x": two hexadecimal digits, or "{" digits "}".
  uint8_t ParseHexCode() {
    int value = 0;
    if (Peek() == '{') {
      ++pos_;
      for (;;) {
        const char c = Peek();
        if (c == '\0') Fail(kErrNoHexCode);
        if (c == '}') break;
        const int digit = HexValue(c);
        if (digit < 0) Fail(kErrBadHexDigit);
        value = value * 16 + digit;
        if (value > 255) Fail(kErrHexCodeTooBig);
        ++pos_;
      }
      ++pos_;
      return static_cast<uint8_t>(value);
    }
    for (int i = 0; i < 2; ++i) {
      const char c = Peek();
      if (c == '\0') Fail(kErrNoHexCode);
      const int digit = HexValue(c);
      if (digit < 0) Fail(kErrBadHexDigit);
      value = value * 16 + digit;
      ++pos_;
    }
    return static_cast<uint8_t>(value);
  }

  // Adds c, and under i its other case.
  void AddMember(ByteSet& set, uint8_t c) {
    set.Add(c);
    if (On(TPatternEngine::kModifierI)) set.Add(SwapCase(c));
  }

  // A range from..to; error_pos is where the range end was read.
  void AddRange(ByteSet& set, uint8_t from, uint8_t to, size_t error_pos) {
    ByteSet range;
    if (On(TPatternEngine::kModifierR) && from == 224 && to == 255) {
      range.AddRange(224, 255);
      range.Add(184);
    } else if (On(TPatternEngine::kModifierR) && from == 192 && to == 223) {
      range.AddRange(192, 223);
      range.Add(168);
    } else if (On(TPatternEngine::kModifierR) && from == 224 && to == 223) {
      range.AddRange(192, 255);
      range.Add(168);
      range.Add(184);
    } else {
      if (to < from) Fail(kErrInvalidRange, error_pos);
      range.AddRange(from, to);
    }
    for (int c = 0; c < 256; ++c) {
      if (range.Has(static_cast<uint8_t>(c))) AddMember(set, static_cast<uint8_t>(c));
    }
  }

  static bool IsSetEscape(char e) {
    return e == 'd' || e == 'D' || e == 's' || e == 'S' || e == 'w' || e == 'W';
  }

  // After "[": members up to "]".
  int ParseClass() {
    ByteSet set;
    bool negated = false;
    if (Peek() == '^') {
      negated = true;
      ++pos_;
    }
    bool first = true;
    bool can_start_range = false;
    uint8_t range_start = 0;
    for (;; first = false) {
      const char c = Peek();
      if (c == '\0') Fail(kErrUnmatchedClass);
      if (c == ']' && !first) {
        ++pos_;
        break;
      }
      if (c == '-' && can_start_range && Peek(1) != ']' && Peek(1) != '\0' &&
          !(Peek(1) == '\\' && IsSetEscape(Peek(2)))) {
        pos_ += 1;
        uint8_t range_end;
        if (Peek() == '\\') {
          ++pos_;
          const char e = Peek();
          if (e == '\0') Fail(kErrClassTrailingBackslash);
          ++pos_;
          range_end = EscapedChar(e);
        } else {
          range_end = static_cast<uint8_t>(Peek());
          ++pos_;
        }
        AddRange(set, range_start, range_end, pos_ - 1);
        can_start_range = false;
        continue;
      }
      if (c == '\\') {
        ++pos_;
        const char e = Peek();
        if (e == '\0') Fail(kErrClassTrailingBackslash);
        ++pos_;
        if (e == 'd') {
          set.AddRange('0', '9');
          can_start_range = false;
        } else if (e == 's') {
          set.AddAll(settings_.whitespace_set);
          can_start_range = false;
        } else if (e == 'w') {
          set.AddAll(settings_.word_character_set);
          can_start_range = false;
        } else {
          range_start = EscapedChar(e);
          AddMember(set, range_start);
          can_start_range = true;
        }
        continue;
      }
      ++pos_;
      range_start = static_cast<uint8_t>(c);
      AddMember(set, range_start);
      can_start_range = true;
    }
    return EmitClass(set, negated);
  }

  // A tiny class of up to three members, or a 256-bit set (complemented when negated).
  int EmitClass(ByteSet set, bool negated) {
    const int count = set.Count();
    if (count >= 1 && count <= 3) {
      const int ret = EmitNode(negated ? kAnyButFew : kAnyOfFew);
      uint8_t members[3];
      int n = 0;
      for (int c = 0; c < 256; ++c) {
        if (set.Has(static_cast<uint8_t>(c))) members[n++] = static_cast<uint8_t>(c);
      }
      for (int i = 0; i < 3; ++i) EmitByte(members[i < n ? i : n - 1]);
      return ret;
    }
    if (negated) set.Invert();
    const int ret = EmitNode(kAnyOfSet);
    for (uint8_t b : set.bits) EmitByte(b);
    return ret;
  }

  const std::string_view pattern_;
  const CompileSettings& settings_;
  uint8_t* code_ = nullptr;
  bool emitting_ = false;
  size_t size_ = 0;  // bytes counted (pass 1) or written (pass 2) so far
  size_t pos_ = 0;   // parse cursor
  int next_group_ = 1;
  int modifiers_ = 0;  // compile modifiers
  bool has_back_refs_ = false;
};

}  // namespace

Program Compile(std::string_view pattern, const CompileSettings& settings) {
  pattern = pattern.substr(0, pattern.find('\0'));
  if (pattern.empty()) throw MakePatternError(kErrNullArgument, 0);
  return Compiler(pattern, settings).Run();
}

}  // namespace farrowdale::regex
