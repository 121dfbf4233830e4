// CodePageGuard: sets the system code page for a scope and restores the previous one, so a
// test that needs a code page leaves the process as it found it.
#ifndef FARROWDALE_TESTING_CODE_PAGE_GUARD_H_
#define FARROWDALE_TESTING_CODE_PAGE_GUARD_H_

#include <string>
#include <string_view>

#include "text/code_page.h"

namespace farrowdale {

class CodePageGuard {
 public:
  explicit CodePageGuard(std::string_view name) : previous_(SystemCodePageName()) {
    SetSystemCodePage(name);
  }
  CodePageGuard(const CodePageGuard&) = delete;
  CodePageGuard& operator=(const CodePageGuard&) = delete;
  ~CodePageGuard() { SetSystemCodePage(previous_); }

 private:
  std::string previous_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_TESTING_CODE_PAGE_GUARD_H_
