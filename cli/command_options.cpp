#include "cli/command_options.h"

namespace farrowdale::cli {

ParseOutcome ParseCommandArgs(const char* command, const std::vector<std::string>& args,
                              const TCommandOptions& options, std::vector<std::string>& paths,
                              std::string& complaint) {
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || arg.size() < 2 || arg[0] != '-') {
      paths.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") return ParseOutcome::kHelp;
    if (arg == "--version") return ParseOutcome::kVersion;
    bool known = false;
    for (const auto& [name, flag] : options.flags) {
      if (arg == name) {
        *flag = true;
        known = true;
      }
    }
    if (known) continue;
    std::optional<std::string>* target = nullptr;
    for (const auto& [name, value] : options.values) {
      if (arg == name) target = value;
    }
    if (target == nullptr) {
      complaint = std::string(command) + ": unknown option \"" + arg + "\"";
      return ParseOutcome::kUsageError;
    }
    if (i + 1 >= args.size()) {
      complaint = std::string(command) + ": " + arg + " needs a value";
      return ParseOutcome::kUsageError;
    }
    *target = args[++i];
  }
  return ParseOutcome::kRun;
}

}  // namespace farrowdale::cli
