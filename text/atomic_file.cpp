#include "text/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <random>
#include <string>

#include "text/error.h"

namespace farrowdale {
namespace {

// Writes all of data; returns 0 or the failure code.
int WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return 0;
}

// A name no other writer picks: the process, a counter and a random number, hidden, beside
// the file it stands in for.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& path) {
  static std::atomic<unsigned> counter{0};
  thread_local std::mt19937 random(std::random_device{}());
  return path.parent_path() /
         ("." + path.filename().native() + "." + std::to_string(::getpid()) + "." +
          std::to_string(counter++) + "." + std::to_string(random() % 1000000) + ".part");
}

// Creates a new temporary file beside path; returns its descriptor and sets *temporary.
int CreateTemporaryFile(const std::filesystem::path& path, std::filesystem::path* temporary) {
  for (int attempt = 0;; ++attempt) {
    *temporary = TemporaryPathFor(path);
    const int fd =
        ::open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST || attempt == 100) throw FileCreateError(path, errno);
  }
}

// Writes, syncs and closes; returns 0 or the failure code. The descriptor is closed either way.
int WriteSyncClose(int fd, std::string_view bytes) {
  int error = WriteAll(fd, bytes.data(), bytes.size());
  // A full disk or a quota may show only at the sync or the close.
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  return error;
}

}  // namespace

void CheckReplaceableFile(const std::filesystem::path& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    throw FileCreateError(path, NotRegularFileText(info.st_mode));
  }
}

void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  CheckReplaceableFile(path);
  std::filesystem::path temporary;
  const int fd = CreateTemporaryFile(path, &temporary);
  int error = WriteSyncClose(fd, bytes);
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    throw FileCreateError(path, error);
  }
  // The rename itself is made durable with the folder; a folder that cannot be synced
  // (some network file systems) has still been written.
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  const int folder_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd >= 0) {
    ::fsync(folder_fd);
    ::close(folder_fd);
  }
}

}  // namespace farrowdale
