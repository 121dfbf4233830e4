// The sub-commands of farrowdale-cli. Each takes the arguments after its own name and
// returns the process exit code.
#ifndef FARROWDALE_CLI_COMMANDS_H_
#define FARROWDALE_CLI_COMMANDS_H_

#include <string>
#include <vector>

namespace farrowdale::cli {

int RunCountCommand(const std::vector<std::string>& args);
int RunMatchCommand(const std::vector<std::string>& args);

// Prints complaint (when not empty) and the usage text on stderr; returns exit code 2.
int UsageError(const std::string& complaint);

}  // namespace farrowdale::cli

#endif  // FARROWDALE_CLI_COMMANDS_H_
