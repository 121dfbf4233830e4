// The option loop that "count" and "check" share: PATH operands anywhere, "--" ending the
// options, --help, --version, on/off flags and options that take the next argument as their value.
#ifndef FARROWDALE_CLI_COMMAND_OPTIONS_H_
#define FARROWDALE_CLI_COMMAND_OPTIONS_H_

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace farrowdale::cli {

enum class ParseOutcome { kRun, kHelp, kVersion, kUsageError };

struct TCommandOptions {
  std::vector<std::pair<const char*, bool*>> flags;
  std::vector<std::pair<const char*, std::optional<std::string>*>> values;
};

// Fills the flags, values and paths from args. A complaint starts with "COMMAND: ".
// Checks of the values themselves (required ones, their form) are left to the caller.
ParseOutcome ParseCommandArgs(const char* command, const std::vector<std::string>& args,
                              const TCommandOptions& options, std::vector<std::string>& paths,
                              std::string& complaint);

}  // namespace farrowdale::cli

#endif  // FARROWDALE_CLI_COMMAND_OPTIONS_H_
