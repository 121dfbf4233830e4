#include "text/regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "testing/error_text.h"
#include "testing/scratch_folder.h"
#include "text/error.h"

namespace farrowdale {

using testing_support::ErrorText;
using testing_support::ScratchFolder;

namespace {

namespace fs = std::filesystem;

class RegularFileTest : public testing::Test {
 protected:
  static std::string OpenError(const fs::path& path) {
    return ErrorText([&path] { TRegularFile file(path); });
  }

  ScratchFolder scratch_{"farrowdale_regular"};
  const fs::path& dir_ = scratch_.path();
};

// Each of these would block the open or the read, or never end, if it were read as a file.
TEST_F(RegularFileTest, ThingsThatAreNotFilesAreErrorsNamingThem) {
  const fs::path pipe = dir_ / "pipe.txt";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(OpenError(pipe),
            "Cannot open file \"" + pipe.string() + "\". It is a pipe, not a regular file.");
  const fs::path zero = dir_ / "zero.txt";
  fs::create_symlink("/dev/zero", zero);
  EXPECT_EQ(OpenError(zero),
            "Cannot open file \"" + zero.string() + "\". It is a device, not a regular file.");
  EXPECT_EQ(OpenError(dir_),
            "Cannot open file \"" + dir_.string() + "\". It is a folder, not a regular file.");
  EXPECT_EQ(OpenError(dir_ / "absent.txt"), "Cannot open file \"" + (dir_ / "absent.txt").string() +
                                                "\". No such file or directory");
}

TEST_F(RegularFileTest, ReadsFromTheStartAsFarAsTheSizeItHadWhenOpened) {
  const fs::path path = dir_ / "growing.txt";
  std::ofstream(path, std::ios::binary) << "first";
  const TRegularFile file(path);
  std::ofstream(path, std::ios::binary | std::ios::app) << " and more";
  for (int round = 0; round < 2; ++round) {
    std::string read;
    file.ReadChunks([&read](std::string_view chunk) { read.append(chunk); });
    EXPECT_EQ(read, "first") << round;
  }
}

}  // namespace
}  // namespace farrowdale
