#include "testing/scratch_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <iostream>
#include <string>
#include <system_error>

namespace farrowdale::testing_support {
namespace {

// File names keep letters, digits, "_" and "-"; a parameterized test's "/" and the like
// become "_".
std::string NamePart(std::string_view text) {
  std::string part(text);
  for (char& c : part) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '_' || c == '-';
    if (!plain) c = '_';
  }
  return part;
}

}  // namespace

ScratchFolder::ScratchFolder(std::string_view label) {
  static std::atomic<unsigned> made{0};
  std::string name =
      NamePart(label) + "_" + std::to_string(::getpid()) + "_" + std::to_string(made.fetch_add(1));
  if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info()) {
    name += "_" + NamePart(info->test_suite_name()) + "_" + NamePart(info->name());
  }
  // Well inside the file system's 255 bytes per name.
  if (name.size() > 200) name.resize(200);
  path_ = std::filesystem::path(::testing::TempDir()) / name;
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  if (::testing::Test::HasFailure()) {
    std::cerr << "scratch folder kept: " << path_.string() << "\n";
    return;
  }
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace farrowdale::testing_support
