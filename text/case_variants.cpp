#include "text/case_variants.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <unordered_map>

namespace farrowdale {
namespace {

// For every folded character that some other character folds to: all characters with that
// folding, ascending. Built by one walk over the code space (about a millisecond).
const std::unordered_map<char32_t, std::vector<char32_t>>& VariantsByFolding() {
  static const auto* const table = [] {
    auto* variants = new std::unordered_map<char32_t, std::vector<char32_t>>();
    for (UChar32 c = 0; c <= 0x10FFFF; ++c) {
      const UChar32 folded = u_foldCase(c, U_FOLD_CASE_DEFAULT);
      if (folded == c) continue;
      auto& members = (*variants)[static_cast<char32_t>(folded)];
      if (members.empty()) members.push_back(static_cast<char32_t>(folded));
      members.push_back(static_cast<char32_t>(c));
    }
    for (auto& [folded, members] : *variants) std::sort(members.begin(), members.end());
    return variants;
  }();
  return *table;
}

}  // namespace

std::vector<char32_t> SimpleCaseVariants(char32_t c) {
  const auto& table = VariantsByFolding();
  const auto found =
      table.find(static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT)));
  if (found == table.end()) return {c};
  return found->second;
}

Utf8Character FirstUtf8Character(std::string_view bytes) {
  if (bytes.empty()) return {0, 0};
  const auto byte = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return {lead, 1};
  size_t length = 0;
  char32_t value = 0;
  char32_t lowest = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1F, lowest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0F, lowest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07, lowest = 0x10000;
  } else {
    return {0, 1};
  }
  if (bytes.size() < length) return {0, 1};
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return {0, 1};
    value = value << 6 | (byte(i) & 0x3F);
  }
  if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {0, 1};
  return {value, length};
}

std::string Utf8Of(char32_t c) {
  std::string bytes;
  if (c < 0x80) {
    bytes += static_cast<char>(c);
  } else if (c < 0x800) {
    bytes += static_cast<char>(0xC0 | c >> 6);
    bytes += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    bytes += static_cast<char>(0xE0 | c >> 12);
    bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    bytes += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    bytes += static_cast<char>(0xF0 | c >> 18);
    bytes += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    bytes += static_cast<char>(0x80 | (c & 0x3F));
  }
  return bytes;
}

}  // namespace farrowdale
