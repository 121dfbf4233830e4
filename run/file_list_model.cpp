#include "run/file_list_model.h"

#include "text/code_page.h"

namespace farrowdale {

TFileListModel::TAddOutcome TFileListModel::AddFolder(const std::filesystem::path& folder,
                                                      EFolderScan scan) {
  return AddFiles(ListTextFilesOfFolder(folder, scan), folder);
}

TFileListModel::TAddOutcome TFileListModel::AddFiles(
    const std::vector<std::filesystem::path>& files, const std::filesystem::path& folder) {
  TAddOutcome outcome;
  for (const auto& file : files) {
    const auto [it, inserted] = index_by_key_.try_emplace(ItemPathKey(file), items_.size());
    if (!inserted) {
      outcome.duplicates.push_back({file, it->second});
      continue;
    }
    if (items_.empty()) root_folder_ = folder;
    items_.push_back(TFileItem{file, true});
    ++checked_count_;
    last_folder_ = folder;
    ++outcome.added;
  }
  return outcome;
}

void TFileListModel::Clear() {
  items_.clear();
  index_by_key_.clear();
  checked_count_ = 0;
  last_folder_.clear();
  root_folder_.clear();
}

void TFileListModel::SetChecked(size_t index, bool checked) {
  bool& tick = items_[index].checked;
  if (tick == checked) return;
  tick = checked;
  checked ? ++checked_count_ : --checked_count_;
}

void TFileListModel::SetAllChecked(bool checked) {
  for (TFileItem& item : items_) item.checked = checked;
  checked_count_ = checked ? items_.size() : 0;
}

std::optional<size_t> TFileListModel::TickMatching(std::string_view pattern) {
  // Every verdict first, so that a pattern the engine refuses leaves the ticks alone.
  std::vector<bool> matches;
  matches.reserve(items_.size());
  for (const TFileItem& item : items_) {
    matches.push_back(MatchesFilter(pattern, PathToNarrow(item.path)));
  }
  std::optional<size_t> last;
  for (size_t i = 0; i < items_.size(); ++i) {
    SetChecked(i, matches[i]);
    if (matches[i]) last = i;
  }
  return last;
}

std::optional<size_t> TFileListModel::Find(const std::filesystem::path& path) const {
  const auto it = index_by_key_.find(ItemPathKey(path));
  if (it == index_by_key_.end()) return std::nullopt;
  return it->second;
}

std::string TFileListModel::DisplayName(size_t index) const {
  const auto& path = items_[index].path.native();
  auto root = root_folder_.native();
  if (!root.empty() && root.back() != std::filesystem::path::preferred_separator) {
    root += std::filesystem::path::preferred_separator;
  }
  if (root.size() > 1 && path.size() > root.size() && path.compare(0, root.size(), root) == 0) {
    return PathToNarrow(std::filesystem::path(path.substr(root.size())));
  }
  return PathToNarrow(items_[index].path);
}

}  // namespace farrowdale
