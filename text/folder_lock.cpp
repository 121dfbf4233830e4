#include "text/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "text/code_page.h"
#include "text/error.h"

namespace farrowdale {
namespace {

// Takes the lock: false when another process holds it (only without waiting), true when it
// is held now or the file system cannot lock at all. Throws the platform's error otherwise.
bool Lock(int fd, int operation, const std::filesystem::path& folder) {
  while (::flock(fd, operation) != 0) {
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) return false;
    if (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL) return true;
    throw FileOpenError(folder, errno);
  }
  return true;
}

}  // namespace

TFolderLock::TFolderLock(const std::filesystem::path& folder, EFolderWait wait,
                         const std::function<void()>& waiting) {
  fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) throw FileOpenError(folder, errno);
  try {
    if (Lock(fd_, LOCK_EX | LOCK_NB, folder)) return;
    if (wait == EFolderWait::kDoNotWait) {
      throw Error("Another run is writing in " + PathToNarrow(folder) + ".");
    }
    waiting();
    Lock(fd_, LOCK_EX, folder);
  } catch (...) {
    ::close(fd_);
    throw;
  }
}

TFolderLock::TFolderLock(TFolderLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

TFolderLock::~TFolderLock() {
  // Closing the folder's only descriptor of this process releases the lock.
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace farrowdale
