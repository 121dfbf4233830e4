// LoginName: the name of the user running the program, which an export records as the coder
// of every coding when none is given.
#ifndef FARROWDALE_RUN_LOGIN_NAME_H_
#define FARROWDALE_RUN_LOGIN_NAME_H_

#include <string>

namespace farrowdale {

// The account's name (native text), else LOGNAME or USER, else "coder"; never empty.
std::string LoginName();

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_LOGIN_NAME_H_
