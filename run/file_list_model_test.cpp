#include "run/file_list_model.h"

#include <gtest/gtest.h>

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

std::vector<bool> Ticks(const TFileListModel& model) {
  std::vector<bool> ticks;
  for (const TFileItem& item : model.items()) ticks.push_back(item.checked);
  return ticks;
}

TEST(FileListModel, DuplicatesAreRefusedAndReportedWithTheListedIndex) {
  TFileListModel model;
  EXPECT_EQ(model.AddFile("/c/a.txt", "/c").added, 1u);
  EXPECT_EQ(model.AddFile("/c/b.txt", "/c").added, 1u);
  model.SetChecked(1, false);
  const auto outcome = model.AddFile("/c/b.txt", "/elsewhere");
  EXPECT_EQ(outcome.added, 0u);
  ASSERT_EQ(outcome.duplicates.size(), 1u);
  EXPECT_EQ(outcome.duplicates[0].offered, fs::path("/c/b.txt"));
  EXPECT_EQ(outcome.duplicates[0].existing, 1u);
  // A refused duplicate changes neither the tick, the count nor the last folder.
  EXPECT_EQ(Ticks(model), (std::vector<bool>{true, false}));
  EXPECT_EQ(model.CheckedCount(), 1u);
  EXPECT_EQ(model.LastFolder(), fs::path("/c"));
  // Letter case makes another file on Linux.
  EXPECT_EQ(model.AddFile("/c/B.txt", "/c").added, 1u);
  EXPECT_EQ(model.Find("/c/B.txt"), 2u);
  EXPECT_EQ(model.Find("/c/x.txt"), std::nullopt);

  model.Clear();
  EXPECT_TRUE(model.empty());
  EXPECT_EQ(model.CheckedCount(), 0u);
  EXPECT_TRUE(model.LastFolder().empty());
  EXPECT_EQ(model.AddFile("/c/b.txt", "/c").added, 1u);  // the index was cleared too
}

TEST(FileListModel, CountFollowsEveryWayOfTicking) {
  TFileListModel model;
  for (const char* name : {"/c/a.txt", "/c/b.txt", "/c/c.txt"}) model.AddFile(name, "/c");
  EXPECT_EQ(model.CheckedCount(), 3u);
  model.SetChecked(0, false);
  model.SetChecked(0, false);  // unticking twice counts once
  EXPECT_EQ(model.CheckedCount(), 2u);
  model.SetAllChecked(false);
  EXPECT_EQ(model.CheckedCount(), 0u);
  model.SetChecked(2, true);
  model.SetAllChecked(true);
  EXPECT_EQ(model.CheckedCount(), 3u);
}

TEST(FileListModel, FilterTicksExactlyTheMatchesAndABadPatternChangesNothing) {
  SetSystemCodePage("UTF-8");
  TFileListModel model;
  for (const char* name : {"/Corpus/ABC.txt", "/Corpus/b.txt", "/other/abc.txt"}) {
    model.AddFile(name, fs::path(name).parent_path());
  }
  EXPECT_EQ(model.TickMatching("abc"), 2u);
  EXPECT_EQ(Ticks(model), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(model.CheckedCount(), 1u);
  EXPECT_EQ(model.TickMatching("Corpus"), 1u);
  EXPECT_EQ(Ticks(model), (std::vector<bool>{true, true, false}));
  EXPECT_EQ(model.TickMatching("^X"), std::nullopt);
  EXPECT_EQ(model.CheckedCount(), 0u);

  model.SetChecked(1, true);
  EXPECT_THROW(model.TickMatching("[a"), EPatternError);
  EXPECT_EQ(Ticks(model), (std::vector<bool>{false, true, false}));
  EXPECT_EQ(model.CheckedCount(), 1u);
}

TEST(FileListModel, NamesAreShownRelativeToTheFolderTheListStartedFrom) {
  SetSystemCodePage("UTF-8");
  TFileListModel model;
  model.AddFile("/data/corpus/a.txt", "/data/corpus");
  model.AddFile("/data/corpus/sub/b.txt", "/data/corpus/sub");
  model.AddFile("/data/corpus2/c.txt", "/data/corpus2");  // a sibling whose name extends it
  model.AddFile("/data/d.txt", "/data");
  EXPECT_EQ(model.RootFolder(), fs::path("/data/corpus"));
  EXPECT_EQ(model.LastFolder(), fs::path("/data"));
  EXPECT_EQ(model.DisplayName(0), "a.txt");
  EXPECT_EQ(model.DisplayName(1), "sub/b.txt");
  EXPECT_EQ(model.DisplayName(2), "/data/corpus2/c.txt");
  EXPECT_EQ(model.DisplayName(3), "/data/d.txt");

  TFileListModel trailing;  // a folder given with its separator
  trailing.AddFile("/data/corpus/a.txt", "/data/corpus/");
  EXPECT_EQ(trailing.DisplayName(0), "a.txt");
}

TEST(FileListModel, AddFolderTakesItsTextFilesAndAnUnreadableFolderChangesNothing) {
  const testing_support::ScratchFolder scratch("file_list_model");
  const fs::path& folder = scratch.path();
  for (const char* name : {"b.txt", "a.txt", "notes.md"}) std::ofstream(folder / name) << "x";
  TFileListModel model;
  EXPECT_EQ(model.AddFolder(folder).added, 2u);
  EXPECT_EQ(model.item(0).path, folder / "a.txt");
  EXPECT_EQ(model.LastFolder(), folder);
  const auto again = model.AddFolder(folder);
  EXPECT_EQ(again.added, 0u);
  EXPECT_EQ(again.duplicates.size(), 2u);
  EXPECT_EQ(again.duplicates[1].existing, 1u);
  EXPECT_THROW(model.AddFolder(folder / "missing"), Error);
  EXPECT_EQ(model.size(), 2u);
}

}  // namespace
}  // namespace farrowdale
