// What the tests of text/ share: scratch folders and the text of an expected error.
#ifndef FARROWDALE_TEXT_TEST_SUPPORT_H_
#define FARROWDALE_TEXT_TEST_SUPPORT_H_

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "text/error.h"

namespace farrowdale {

// The message of the Error that action throws, or "no error".
inline std::string ErrorText(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.what();
  }
  return "no error";
}

// A fresh, empty folder of the test's own under the system's temporary folder, removed with
// everything in it when the object goes.
class ScratchFolder {
 public:
  explicit ScratchFolder(std::string_view name)
      : path_(std::filesystem::temp_directory_path() /
              (std::string(name) + "_" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_TEST_SUPPORT_H_
