// Helpers shared by the report module's tests: a fresh scratch folder per test and the
// exact bytes of files.
#ifndef FARROWDALE_REPORT_REPORT_TEST_SUPPORT_H_
#define FARROWDALE_REPORT_REPORT_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace farrowdale::testing_support {

// An empty folder named after the running test.
inline std::filesystem::path FreshTestFolder() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path folder =
      std::filesystem::path(::testing::TempDir()) /
      (std::string("report_") + info->test_suite_name() + "_" + info->name());
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The bytes of a UTF-16 LE file with byte-order mark holding text.
inline std::string Utf16LeFile(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

// ASCII text as UTF-16.
inline std::u16string U16(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace farrowdale::testing_support

#endif  // FARROWDALE_REPORT_REPORT_TEST_SUPPORT_H_
