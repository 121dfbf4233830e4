// The file list kept from one session to the next in QSettings: every item's path and tick
// mark, the folder the names are shown relative to, and the folder label's folder.
#ifndef FARROWDALE_APP_REMEMBERED_LIST_H_
#define FARROWDALE_APP_REMEMBERED_LIST_H_

#include <filesystem>
#include <vector>

#include "run/file_list_model.h"

namespace farrowdale {

struct TRememberedList {
  std::vector<TFileItem> items;                // still present, in list order
  std::vector<std::filesystem::path> missing;  // remembered but gone since
  std::filesystem::path root_folder;
  std::filesystem::path shown_folder;
};

// Stores the list (replacing what was stored).
void RememberFileList(const TFileListModel& model, const std::filesystem::path& shown_folder);
// What was stored, split into the items whose files still exist and the paths that have gone.
TRememberedList RecallFileList();
// Refills model (which must be empty) from a recalled list.
void RestoreFileList(const TRememberedList& list, TFileListModel& model);

}  // namespace farrowdale

#endif  // FARROWDALE_APP_REMEMBERED_LIST_H_
