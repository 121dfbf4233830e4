// Trimming as the whole system does it: every leading and trailing character whose code is
// 32 or below (space and all control characters), and nothing else.
#ifndef FARROWDALE_TEXT_TRIM_H_
#define FARROWDALE_TEXT_TRIM_H_

#include <string>
#include <string_view>

namespace farrowdale {

std::string_view Trim(std::string_view text);
std::u16string_view Trim(std::u16string_view text);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_TRIM_H_
