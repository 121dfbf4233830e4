#include "testing/file_bytes.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace farrowdale::testing_support {

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Utf16LeFile(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

std::string Utf16LeFile(std::string_view ascii) { return Utf16LeFile(U16(ascii)); }

std::u16string U16(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::string ReadableUtf16Le(std::string_view bytes) {
  std::string text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const unsigned code =
        static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (code < 0x80) {
      text += static_cast<char>(code);
    } else {
      char escaped[12];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", code);
      text += escaped;
    }
  }
  return text;
}

}  // namespace farrowdale::testing_support
