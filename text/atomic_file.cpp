#include "text/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <random>
#include <string>
#include <utility>

#include "text/error.h"

namespace farrowdale {
namespace {

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

void SyncFolderOf(const std::filesystem::path& path) {
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  const int folder_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd >= 0) {
    ::fsync(folder_fd);
    ::close(folder_fd);
  }
}

}  // namespace

std::optional<TFileIdentity> CheckReplaceableFile(const std::filesystem::path& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
  if (!S_ISREG(info.st_mode)) throw FileCreateError(path, NotRegularFileText(info.st_mode));
  return TFileIdentity{info.st_dev, info.st_ino};
}

TAtomicFile::TAtomicFile(std::filesystem::path path) : path_(std::move(path)) {
  CheckReplaceableFile(path_);
  fd_ = CreateTemporaryFile(path_, &temporary_);
}

TAtomicFile::TAtomicFile(TAtomicFile&& other) noexcept
    : path_(std::move(other.path_)),
      temporary_(std::exchange(other.temporary_, {})),
      fd_(std::exchange(other.fd_, -1)) {}

TAtomicFile& TAtomicFile::operator=(TAtomicFile&& other) noexcept {
  if (this != &other) {
    Drop();
    path_ = std::move(other.path_);
    temporary_ = std::exchange(other.temporary_, {});
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

TAtomicFile::~TAtomicFile() { Drop(); }

void TAtomicFile::Drop() noexcept {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

void TAtomicFile::Append(std::string_view bytes) {
  const char* data = bytes.data();
  size_t size = bytes.size();
  while (size > 0) {
    const ssize_t written = ::write(fd_, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      throw FileCreateError(path_, errno);
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
}

void TAtomicFile::Sync() {
  if (fd_ < 0) return;
  int error = ::fsync(fd_) != 0 ? errno : 0;
  if (::close(std::exchange(fd_, -1)) != 0 && error == 0) error = errno;
  if (error != 0) throw FileCreateError(path_, error);
}

void TAtomicFile::Commit() {
  Sync();
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) throw FileCreateError(path_, errno);
  temporary_.clear();
  SyncFolderOf(path_);
}

void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  TAtomicFile file(path);
  file.Append(bytes);
  file.Commit();
}

}  // namespace farrowdale
