#include "regex/error_text.h"

#include <string>

namespace farrowdale::regex {

std::string_view PatternErrorText(int number) {
  switch (number) {
    case kErrNone:
      return "No errors";
    case kErrNullArgument:
      return "Pattern(comp): Null Argument";
    case kErrRegexpTooBig:
      return "Pattern(comp): Regexp Too Big";
    case kErrTooManyGroups:
      return "Pattern(comp): ParseReg Too Many ()";
    case kErrUnmatchedGroup:
      return "Pattern(comp): ParseReg Unmatched ()";
    case kErrUnmatchedClose:
      return "Pattern(comp): ParseReg Unmatched ()";
    case kErrJunkOnEnd:
      return "Pattern(comp): ParseReg Junk On End";
    case kErrOperandCouldBeEmpty:
      return "Pattern(comp): *+ Operand Could Be Empty";
    case kErrNestedQuantifier:
      return "Pattern(comp): Nested *?+";
    case kErrBadHexDigit:
      return "Pattern(comp): Bad Hex Digit";
    case kErrInvalidRange:
      return "Pattern(comp): Invalid [] Range";
    case kErrClassTrailingBackslash:
      return "Pattern(comp): Parse Atom Trailing \\";
    case kErrNoHexCode:
      return "Pattern(comp): No Hex Code After \\x";
    case kErrHexCodeTooBig:
      return "Pattern(comp): Hex Code After \\x Is Too Big";
    case kErrUnmatchedClass:
      return "Pattern(comp): Unmatched []";
    case kErrInternalUrp:
      return "Pattern(comp): Internal Urp";
    case kErrQuantifierFollowsNothing:
      return "Pattern(comp): ?+*{ Follows Nothing";
    case kErrTrailingBackslash:
      return "Pattern(comp): Trailing \\";
    case kErrInternalDisaster:
      return "Pattern(comp): RarseAtom Internal Disaster";
    case kErrBracesTooBig:
      return "Pattern(comp): BRACES Argument Too Big";
    case kErrBraceMinAboveMax:
      return "Pattern(comp): BRACE Min Param Greater then Max";
    case kErrUnclosedComment:
      return "Pattern(comp): Unclosed (?#Comment)";
    case kErrLoopsUnavailable:
      return "Pattern(comp): Braces and lazy operators on operands that are not single "
             "characters are unavailable";
    case kErrBadModifier:
      return "Pattern(comp): Urecognized Modifier";
    case kErrBadLinePairedSeparator:
      return "Pattern(comp): LinePairedSeparator must countain two different chars or no chars "
             "at all";
    case kErrRepeatOperand:
      return "Pattern(exec): RegRepeat Called Inappropriately";
    case kErrUnknownNode:
      return "Pattern(exec): MatchPrim Memory Corruption";
    case kErrNoNode:
      return "Pattern(exec): MatchPrim Corrupted Pointers";
    case kErrNoExpression:
      return "Pattern(exec): Not Assigned Expression Property";
    case kErrCorruptedProgram:
      return "Pattern(exec): Corrupted Program";
    case kErrNoInputString:
      return "Pattern(exec): No Input String Specified";
    case kErrOffsetBelowOne:
      return "Pattern(exec): Offset Must Be Greater Then 0";
    case kErrExecNextWithoutExec:
      return "Pattern(exec): ExecNext Without Exec[Pos]";
    case kErrGetInputString:
      return "Pattern(exec): GetInputString Without InputString";
    case kErrCorruptedOpcode:
      return "Pattern(dump): Corrupted Opcode";
    case kErrLoopStackExceeded:
      return "Pattern(exec): Loop Stack Exceeded";
    case kErrLoopWithoutEntry:
      return "Pattern(exec): Loop Without LoopEntry !";
    case kErrBacktrackMemoryExceeded:
      return "Pattern(exec): Backtracking Memory Exceeded (1 GiB)";
    case kErrInputStringTooLong:
      return "Pattern(exec): Input String Too Long";
    case kErrSearchTooComplex:
      return "Pattern(exec): Search Too Complex (backtracking limit reached)";
    case kErrBadPCode:
      return "Pattern(misc): Bad p-code imported";
    default:
      return "Unknown error";
  }
}

EPatternError MakePatternError(int number, int position) {
  std::string message(PatternErrorText(number));
  if (number < 1000) message += " (pos " + std::to_string(position) + ")";
  return EPatternError(message, number, position);
}

}  // namespace farrowdale::regex
