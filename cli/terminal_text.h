// What farrowdale-cli prints: names and messages made safe for a terminal or a pipe, and the
// check that everything printed was written.
//
// Names come from the file system and the tag set, and may hold any byte but zero: a line
// feed in a file name would forge a line of output, an escape sequence would drive the
// terminal. TerminalText shows every control character as an escape (\t, \n, \r, \xHH for
// the other C0 controls and DEL, \xC2\xHH for the C1 controls of UTF-8), so each printed
// line is exactly one line of the program's own. Other bytes, a backslash included, are
// printed as they are.
#ifndef FARROWDALE_CLI_TERMINAL_TEXT_H_
#define FARROWDALE_CLI_TERMINAL_TEXT_H_

#include <exception>
#include <ostream>
#include <string>
#include <string_view>

namespace farrowdale::cli {

// text with its control characters escaped.
std::string TerminalText(std::string_view text);
// Prints text escaped and a line feed; a text of several lines keeps its line feeds, each
// line escaped on its own.
void PrintLines(std::ostream& out, std::string_view text);

// An exception's message for the user: its own text, or "not enough memory" for a failed
// allocation, whose own text says nothing to a user.
std::string ExceptionText(const std::exception& error);

// Flushes the standard output and error. When either could not be written (a full disk, a
// closed pipe), tells so on stderr, when that still works, and returns 1; else exit_code.
int FinishOutput(int exit_code);

}  // namespace farrowdale::cli

#endif  // FARROWDALE_CLI_TERMINAL_TEXT_H_
