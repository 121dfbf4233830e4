// A compiled program as readable text, one node per line:
//   "OFFSET KIND operand -> NEXT" (NEXT is "end" when the chain ends)
// for tests to compare programs by what they say rather than by byte offsets alone.
#ifndef FARROWDALE_REGEX_PROGRAM_DUMP_H_
#define FARROWDALE_REGEX_PROGRAM_DUMP_H_

#include <string>

#include "regex/compiler.h"

namespace farrowdale::regex {

std::string DumpProgram(const Program& program);

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_PROGRAM_DUMP_H_
