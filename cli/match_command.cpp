// farrowdale-cli match: not built yet.
#include <iostream>

#include "cli/commands.h"

namespace farrowdale::cli {

int RunMatchCommand(const std::vector<std::string>&) {
  std::cerr << "farrowdale-cli: \"match\" is not available yet\n";
  return 1;
}

}  // namespace farrowdale::cli
