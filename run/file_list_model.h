// TFileListModel: the file list the window shows and farrowdale-cli builds, without Qt.
// It owns the items in the order they were added with their tick marks, refuses an item
// that is already listed (SameItemPath, looked up by hash: adding n files costs O(n)),
// ticks by pattern, keeps the ticked count, the folder of the last item added and the
// folder the list was started from (names are shown relative to it).
//
// Not thread-safe; the caller owns the model. Indexes stay valid until the next Clear().
#ifndef FARROWDALE_RUN_FILE_LIST_MODEL_H_
#define FARROWDALE_RUN_FILE_LIST_MODEL_H_

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "run/file_list.h"

namespace farrowdale {

class TFileListModel {
 public:
  // What one Add call did: how many items it appended, and for every path that was already
  // listed (in the order met) the path offered and the index of the listed item.
  struct TAddOutcome {
    struct Duplicate {
      std::filesystem::path offered;
      size_t existing;
    };
    size_t added = 0;
    std::vector<Duplicate> duplicates;
  };

  // Appends the folder's *.txt entries (ListTextFilesOfFolder), ticked. Throws Error when
  // the folder cannot be read; then nothing changes.
  TAddOutcome AddFolder(const std::filesystem::path& folder,
                        EFolderScan scan = EFolderScan::kFolderOnly);
  // Appends files, ticked, as given (callers pass absolute paths); folder is the folder they
  // count as chosen from.
  TAddOutcome AddFiles(const std::vector<std::filesystem::path>& files,
                       const std::filesystem::path& folder);
  TAddOutcome AddFile(const std::filesystem::path& file, const std::filesystem::path& folder) {
    return AddFiles({file}, folder);
  }

  // Removes every item; the folders are forgotten too.
  void Clear();

  size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const std::vector<TFileItem>& items() const { return items_; }
  const TFileItem& item(size_t index) const { return items_[index]; }
  size_t CheckedCount() const { return checked_count_; }

  // REQUIRES: index < size().
  void SetChecked(size_t index, bool checked);
  void SetAllChecked(bool checked);
  // Ticks exactly the items whose narrow path the pattern matches (MatchesFilter) and
  // returns the index of the last one ticked (nullopt when none). A pattern that does not
  // compile throws the engine's error before any tick changes.
  std::optional<size_t> TickMatching(std::string_view pattern);

  // The index of the listed item that is the same file as path.
  std::optional<size_t> Find(const std::filesystem::path& path) const;

  // The folder of the last item appended; empty when nothing was appended since Clear().
  const std::filesystem::path& LastFolder() const { return last_folder_; }
  // The folder the first item was added from; empty while the list is empty.
  const std::filesystem::path& RootFolder() const { return root_folder_; }
  // The item's path relative to RootFolder() when it lies inside it, its full narrow path
  // otherwise.
  std::string DisplayName(size_t index) const;

 private:
  std::vector<TFileItem> items_;
  std::unordered_map<std::filesystem::path::string_type, size_t> index_by_key_;
  size_t checked_count_ = 0;
  std::filesystem::path last_folder_;
  std::filesystem::path root_folder_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_FILE_LIST_MODEL_H_
