// The Qt-free rules of the file list, shared by the window and farrowdale-cli: which entries
// a folder contributes, when two items are the same file, and the pattern filter.
#ifndef FARROWDALE_RUN_FILE_LIST_H_
#define FARROWDALE_RUN_FILE_LIST_H_

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace farrowdale {

// One item of the file list: a text file and its tick mark.
struct TFileItem {
  std::filesystem::path path;  // full path of the text file
  bool checked = true;
};

// Whether a folder's sub-folders are listed too.
enum class EFolderScan { kFolderOnly, kWithSubFolders };

// Every regular file of folder, or link to one, whose name ends in ".txt" in any letter case,
// hidden files included, as folder / name, sorted by name. kWithSubFolders: also those of its
// sub-folders at any depth (a link to a folder is not followed, so no folder is listed twice
// and no loop can form), as folder / relative path, sorted by relative path.
// Throws Error when a folder cannot be read.
std::vector<std::filesystem::path> ListTextFilesOfFolder(
    const std::filesystem::path& folder, EFolderScan scan = EFolderScan::kFolderOnly);

// Whether two items name the same file the way the platform's file system compares names:
// case-sensitively on Linux. Two items are the same exactly when their keys are equal.
bool SameItemPath(const std::filesystem::path& a, const std::filesystem::path& b);
// The compared form of an item's path, for hashing.
const std::filesystem::path::string_type& ItemPathKey(const std::filesystem::path& item);

// The message shown for an item that is already listed.
std::string DuplicateItemMessage(const std::filesystem::path& item);

// A fresh engine with default settings, one unanchored search of pattern in subject.
// Throws the engine's EPatternError for a pattern that does not compile.
bool MatchesFilter(std::string_view pattern, std::string_view subject);

// The folder of an item: its path up to, not including, its last separator (the root keeps
// its separator).
std::filesystem::path ItemFolder(const std::filesystem::path& item);

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_FILE_LIST_H_
