// The engine's error numbers and messages, and the exception made from them.
//
// Numbers below 1000 are compile errors: their exception message ends in " (pos N)", N being
// the zero-based offset of the parse cursor in the pattern. Numbers from 1000 are raised
// while searching.
#ifndef FARROWDALE_REGEX_ERROR_TEXT_H_
#define FARROWDALE_REGEX_ERROR_TEXT_H_

#include <string_view>

#include "regex/pattern_engine.h"

namespace farrowdale::regex {

enum PatternErrorNumber {
  kErrNone = 0,
  kErrNullArgument = 100,
  kErrRegexpTooBig = 101,
  kErrTooManyGroups = 102,
  kErrUnmatchedGroup = 103,
  kErrUnmatchedClose = 104,
  kErrJunkOnEnd = 105,
  kErrOperandCouldBeEmpty = 106,
  kErrNestedQuantifier = 107,
  kErrBadHexDigit = 108,
  kErrInvalidRange = 109,
  kErrClassTrailingBackslash = 110,
  kErrNoHexCode = 111,
  kErrHexCodeTooBig = 112,
  kErrUnmatchedClass = 113,
  kErrInternalUrp = 114,
  kErrQuantifierFollowsNothing = 115,
  kErrTrailingBackslash = 116,
  kErrInternalDisaster = 119,
  kErrBracesTooBig = 122,
  kErrBraceMinAboveMax = 124,
  kErrLoopsUnavailable = 126,
  kErrUnclosedComment = 125,
  kErrBadModifier = 127,
  kErrBadLinePairedSeparator = 128,
  kErrRepeatOperand = 1000,
  kErrUnknownNode = 1001,
  kErrNoNode = 1002,
  kErrNoExpression = 1003,
  kErrCorruptedProgram = 1004,
  kErrNoInputString = 1005,
  kErrOffsetBelowOne = 1006,
  kErrExecNextWithoutExec = 1007,
  kErrGetInputString = 1008,
  kErrCorruptedOpcode = 1011,
  kErrLoopStackExceeded = 1014,
  kErrLoopWithoutEntry = 1015,
  kErrBacktrackMemoryExceeded = 1016,
  kErrInputStringTooLong = 1017,
  // A search with back-references ran out of its step budget, or one without them out of
  // memory for the states it has seen fail.
  kErrSearchTooComplex = 1018,
  kErrBadPCode = 2000,
};

// The message for an error number; "Unknown error" for numbers without one.
std::string_view PatternErrorText(int number);

// The exception for an error: the message, with " (pos N)" appended for compile errors.
EPatternError MakePatternError(int number, int position);

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_ERROR_TEXT_H_
