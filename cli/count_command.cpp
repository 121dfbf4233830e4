// farrowdale-cli count: not built yet.
#include <iostream>

#include "cli/commands.h"

namespace farrowdale::cli {

int RunCountCommand(const std::vector<std::string>&) {
  std::cerr << "farrowdale-cli: \"count\" is not available yet\n";
  return 1;
}

}  // namespace farrowdale::cli
