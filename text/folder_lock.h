// TFolderLock: one run at a time writes in a folder.
//
// An advisory lock (flock) on the folder itself, held while the object lives: a second run of
// this program that wants the same folder waits for it (or, asked not to wait, fails at
// once), so the outputs two runs write in one folder never mix. The lock goes with the
// process, so a killed run never leaves a folder locked. Where the file system cannot lock
// (some network file systems), the folder is used unlocked, as before.
#ifndef FARROWDALE_TEXT_FOLDER_LOCK_H_
#define FARROWDALE_TEXT_FOLDER_LOCK_H_

#include <filesystem>
#include <functional>

namespace farrowdale {

enum class EFolderWait { kWait, kDoNotWait };

class TFolderLock {
 public:
  // Locks folder. When another process holds it: with kWait, calls waiting (once) and then
  // waits; with kDoNotWait, throws the Error "Another run is writing in FOLDER.". A folder
  // that cannot be opened throws the file-open Error.
  TFolderLock(const std::filesystem::path& folder, EFolderWait wait,
              const std::function<void()>& waiting);
  ~TFolderLock();
  TFolderLock(TFolderLock&& other) noexcept;
  TFolderLock(const TFolderLock&) = delete;
  TFolderLock& operator=(const TFolderLock&) = delete;
  TFolderLock& operator=(TFolderLock&&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_FOLDER_LOCK_H_
