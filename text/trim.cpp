// Trimming of characters whose code is 32 or below, for narrow and Unicode text.
#include "text/trim.h"

#include <type_traits>

namespace farrowdale {
namespace {

template <typename Char>
std::basic_string_view<Char> TrimView(std::basic_string_view<Char> text) {
  // Narrow characters compare as bytes, so 0x80..0xFF are never trimmed.
  auto is_blank = [](Char c) { return static_cast<std::make_unsigned_t<Char>>(c) <= 32; };
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && is_blank(text[begin])) ++begin;
  while (end > begin && is_blank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

std::string_view Trim(std::string_view text) { return TrimView(text); }

std::u16string_view Trim(std::u16string_view text) { return TrimView(text); }

}  // namespace farrowdale
