#include "run/login_name.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace farrowdale {

std::string LoginName() {
  if (const passwd* account = getpwuid(geteuid()); account && account->pw_name[0] != '\0') {
    return account->pw_name;
  }
  for (const char* variable : {"LOGNAME", "USER"}) {
    if (const char* value = std::getenv(variable); value && value[0] != '\0') return value;
  }
  return "coder";
}

}  // namespace farrowdale
