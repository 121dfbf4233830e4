#include "regex/program_dump.h"

#include <cstdio>
#include <cstring>

#include "regex/error_text.h"
#include "regex/program.h"
#include "regex/program_nodes.h"

namespace farrowdale::regex {
namespace {

const char* KindName(uint8_t kind) {
  switch (kind) {
    case kEnd:
      return "End";
    case kSubjectStart:
      return "SubjectStart";
    case kSubjectEnd:
      return "SubjectEnd";
    case kAnyChar:
      return "AnyChar";
    case kAlternative:
      return "Alternative";
    case kLoopBack:
      return "LoopBack";
    case kLiteral:
      return "Literal";
    case kEmpty:
      return "Empty";
    case kStarRepeat:
      return "StarRepeat";
    case kPlusRepeat:
      return "PlusRepeat";
    case kDigit:
      return "Digit";
    case kNonDigit:
      return "NonDigit";
    case kCountRepeat:
      return "CountRepeat";
    case kComment:
      return "Comment";
    case kLiteralNoCase:
      return "LiteralNoCase";
    case kLoopEntry:
      return "LoopEntry";
    case kLoop:
      return "Loop";
    case kAnyOfFew:
      return "AnyOfFew";
    case kAnyButFew:
      return "AnyButFew";
    case kAnyOfSet:
      return "AnyOfSet";
    case kBackRef:
      return "BackRef";
    case kBackRefNoCase:
      return "BackRefNoCase";
    case kStarRepeatLazy:
      return "StarRepeatLazy";
    case kPlusRepeatLazy:
      return "PlusRepeatLazy";
    case kCountRepeatLazy:
      return "CountRepeatLazy";
    case kLoopLazy:
      return "LoopLazy";
    case kLineStart:
      return "LineStart";
    case kLineEnd:
      return "LineEnd";
    case kAnyInLine:
      return "AnyInLine";
    case kWordBoundary:
      return "WordBoundary";
    case kNotWordBoundary:
      return "NotWordBoundary";
    default:
      return nullptr;
  }
}

// Appends a byte: printable ones as they are, the others as \xHH; quotes, backslashes and
// dashes (which separate a set's ranges) escaped.
void AppendByte(std::string& out, uint8_t c) {
  if (c == '"' || c == '\\' || c == '-') {
    out += '\\';
    out += static_cast<char>(c);
  } else if (c >= 0x20 && c < 0x7F) {
    out += static_cast<char>(c);
  } else {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", c);
    out += hex;
  }
}

std::string Quoted(const uint8_t* bytes, size_t size) {
  std::string out(1, '"');
  for (size_t i = 0; i < size; ++i) AppendByte(out, bytes[i]);
  out += '"';
  return out;
}

// The set's bytes, runs of three or more as "a-z".
std::string SetText(const uint8_t* set) {
  std::string out(1, '[');
  for (int c = 0; c < 256;) {
    if (!SetHas(set, static_cast<uint8_t>(c))) {
      ++c;
      continue;
    }
    int last = c;
    while (last + 1 < 256 && SetHas(set, static_cast<uint8_t>(last + 1))) ++last;
    AppendByte(out, static_cast<uint8_t>(c));
    if (last - c >= 2) out += '-';
    if (last > c) AppendByte(out, static_cast<uint8_t>(last));
    c = last + 1;
  }
  out += ']';
  return out;
}

// Appends " {min,max}".
void AppendBounds(std::string& out, Bounds bounds) {
  out += " {";
  out += std::to_string(bounds.min);
  out += ',';
  out += std::to_string(bounds.max);
  out += '}';
}

// Appends the operand of the node at p.
void AppendOperand(std::string& out, const uint8_t* code, int p) {
  const uint8_t kind = code[p];
  switch (kind) {
    case kLiteral:
    case kLiteralNoCase: {
      const size_t n = LiteralText(code, p).size();
      out += ' ';
      out += Quoted(LiteralBytes(code, p), n);
      return;
    }
    case kCountRepeat:
    case kCountRepeatLazy:
      AppendBounds(out, CountBounds(code, p));
      return;
    case kLoop:
    case kLoopLazy:
      AppendBounds(out, LoopBounds(code, p));
      out += " back to ";
      out += std::to_string(LoopBody(code, p));
      return;
    case kAnyOfFew:
    case kAnyButFew:
      out += ' ';
      out += Quoted(FewChars(code, p), kFewSize);
      return;
    case kAnyOfSet:
      out += ' ';
      out += SetText(SetBits(code, p));
      return;
    case kBackRef:
    case kBackRefNoCase:
      out += ' ';
      out += std::to_string(BackRefGroup(code, p));
      return;
    default:
      return;
  }
}

}  // namespace

std::string DumpProgram(const Program& program) {
  const uint8_t* code = program.code.data();
  const int size = static_cast<int>(program.code.size());
  std::string out;
  for (int p = 1; p < size;) {
    const uint8_t kind = code[p];
    std::string name;
    if (const char* known = KindName(kind)) {
      name = known;
    } else if (IsGroupOpen(kind)) {
      name = "GroupOpen " + std::to_string(kind - kGroupOpenFirst + 1);
    } else if (IsGroupClose(kind)) {
      name = "GroupClose " + std::to_string(kind - kGroupCloseFirst + 1);
    } else {
      throw MakePatternError(kErrCorruptedOpcode, 0);
    }
    out += std::to_string(p);
    out += ' ';
    out += name;
    AppendOperand(out, code, p);
    const int next = NextNode(code, p);
    out += " -> ";
    out += next < 0 ? std::string("end") : std::to_string(next);
    out += '\n';
    // A repetition's operand node follows inside it; it is listed as a node of its own.
    p = NodeAfter(code, p);
  }
  return out;
}

}  // namespace farrowdale::regex
