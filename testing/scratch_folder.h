// ScratchFolder: a fresh, empty folder of the running test's own under GoogleTest's temporary
// folder, named after the test, the label and this process (so parallel test processes never
// share one). It is removed with everything in it when the object goes, unless the test
// failed: then it stays for a look and its path is in the test's output.
//
// Several folders in one test get different names. Outside a running test the name holds
// the label and a sequence number only.
#ifndef FARROWDALE_TESTING_SCRATCH_FOLDER_H_
#define FARROWDALE_TESTING_SCRATCH_FOLDER_H_

#include <filesystem>
#include <string_view>

namespace farrowdale::testing_support {

class ScratchFolder {
 public:
  explicit ScratchFolder(std::string_view label = "scratch");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace farrowdale::testing_support

#endif  // FARROWDALE_TESTING_SCRATCH_FOLDER_H_
