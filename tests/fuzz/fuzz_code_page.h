// The code page a fuzz input asks for with its first byte: UTF-8, windows-1252 or
// windows-1251, so every target meets every kind of conversion.
#ifndef FARROWDALE_TESTS_FUZZ_FUZZ_CODE_PAGE_H_
#define FARROWDALE_TESTS_FUZZ_FUZZ_CODE_PAGE_H_

#include <cstdint>

#include "text/code_page.h"

namespace farrowdale {

inline void ChooseFuzzCodePage(uint8_t selector) {
  static constexpr const char* kCodePages[] = {"UTF-8", "windows-1252", "windows-1251"};
  static int code_page = -1;  // set only on a change: building the tables is slow
  if (code_page != selector % 3) {
    code_page = selector % 3;
    SetSystemCodePage(kCodePages[code_page]);
  }
}

}  // namespace farrowdale

#endif  // FARROWDALE_TESTS_FUZZ_FUZZ_CODE_PAGE_H_
