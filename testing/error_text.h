// ErrorText: the user-visible message of the Error an action throws, for tests that pin
// messages word for word.
#ifndef FARROWDALE_TESTING_ERROR_TEXT_H_
#define FARROWDALE_TESTING_ERROR_TEXT_H_

#include <functional>
#include <string>

#include "text/error.h"

namespace farrowdale::testing_support {

// The message of the Error that action throws, or "no error".
inline std::string ErrorText(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.what();
  }
  return "no error";
}

}  // namespace farrowdale::testing_support

#endif  // FARROWDALE_TESTING_ERROR_TEXT_H_
