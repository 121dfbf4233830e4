#include "run/file_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "regex/pattern_engine.h"
#include "testing/scratch_folder.h"
#include "text/code_page.h"
#include "text/error.h"

namespace farrowdale {
namespace {

namespace fs = std::filesystem;

class FolderFixture : public ::testing::Test {
 protected:
  void Touch(const std::string& name) { std::ofstream(folder_ / name) << "x"; }
  const testing_support::ScratchFolder scratch_{"file_list"};
  const fs::path folder_ = scratch_.path();
};

TEST_F(FolderFixture, ListsEveryTxtRegularFileSortedByName) {
  for (const char* name :
       {"b.txt", "a.TXT", "A.txt", ".hidden.txt", ".txt", "c.text", "d.txt.bak", "etxt", "e.Txt"}) {
    Touch(name);
  }
  // Only regular files, or links to them, are texts: a folder, a pipe, a link to a device or
  // to nothing would stop or hang a run.
  fs::create_directory(folder_ / "notes.txt");
  fs::create_directory(folder_ / "sub");
  Touch("sub/inner.txt");
  fs::create_symlink(folder_ / "missing", folder_ / "broken.txt");
  fs::create_symlink("/dev/zero", folder_ / "zero.txt");
  fs::create_symlink(folder_ / "b.txt", folder_ / "link.txt");
  ASSERT_EQ(::mkfifo((folder_ / "pipe.txt").c_str(), 0600), 0);

  std::vector<fs::path> expected;
  for (const char* name : {".hidden.txt", ".txt", "A.txt", "a.TXT", "b.txt", "e.Txt", "link.txt"}) {
    expected.push_back(folder_ / name);
  }
  EXPECT_EQ(ListTextFilesOfFolder(folder_), expected);
}

TEST_F(FolderFixture, EmptyFolderAndTrailingSeparator) {
  EXPECT_TRUE(ListTextFilesOfFolder(folder_).empty());
  Touch("x.txt");
  // A folder given with its trailing separator must not produce "//".
  const auto listed = ListTextFilesOfFolder(folder_.native() + "/");
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].native(), folder_.native() + "/x.txt");
}

TEST_F(FolderFixture, UnreadableFolderThrows) {
  try {
    ListTextFilesOfFolder(folder_ / "absent");
    FAIL() << "no error for a missing folder";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind(
                  "Cannot read folder \"" + (folder_ / "absent").native() + "\". ", 0),
              0u)
        << e.what();
  }
}

TEST(FileListTest, DuplicatesCompareCaseSensitively) {
  EXPECT_TRUE(SameItemPath("/corpus/A.txt", "/corpus/A.txt"));
  EXPECT_FALSE(SameItemPath("/corpus/A.txt", "/corpus/a.txt"));
  EXPECT_FALSE(SameItemPath("/Corpus/a.txt", "/corpus/a.txt"));
  EXPECT_FALSE(SameItemPath("/corpus/a.txt", "/corpus/a.txt "));
}

TEST(FileListTest, DuplicateMessageText) {
  EXPECT_EQ(DuplicateItemMessage("/home/r/corpus/one.txt"),
            "The file \"/home/r/corpus/one.txt\" has already in the list!");
}

TEST(FileListTest, ItemFolder) {
  EXPECT_EQ(ItemFolder("/home/r/corpus/one.txt").native(), "/home/r/corpus");
  EXPECT_EQ(ItemFolder("/one.txt").native(), "/");
  EXPECT_EQ(ItemFolder("/home//one.txt").native(), "/home//");
  EXPECT_EQ(ItemFolder("one.txt").native(), "");
  EXPECT_EQ(ItemFolder("/home/r/notes.txt/").native(), "/home/r/notes.txt");
}

TEST(FileListTest, MatchesFilterSearchesTheWholePathCaseSensitively) {
  SetSystemCodePage("UTF-8");
  const std::string item = "/home/r/Corpus/ABC.txt";
  EXPECT_TRUE(MatchesFilter("txt", item));
  EXPECT_TRUE(MatchesFilter("Corpus", item));
  EXPECT_TRUE(MatchesFilter("^/home", item));
  EXPECT_FALSE(MatchesFilter("^X", item));
  EXPECT_FALSE(MatchesFilter("abc", item));
  EXPECT_TRUE(MatchesFilter("(?i)abc", item));
  EXPECT_TRUE(MatchesFilter("ABC\\.txt$", item));
  EXPECT_FALSE(MatchesFilter("^ABC", item));
}

TEST(FileListTest, MatchesFilterRaisesTheCompileError) {
  try {
    MatchesFilter("*a", "/a.txt");
    FAIL() << "no error for a bad pattern";
  } catch (const EPatternError& e) {
    EXPECT_STREQ(e.what(), "Pattern(comp): ?+*{ Follows Nothing (pos 1)");
  }
}

}  // namespace
}  // namespace farrowdale
