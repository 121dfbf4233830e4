#include "text/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "text/error.h"
#include "text/text_decoding.h"

namespace farrowdale {

TRegularFile::TRegularFile(const std::filesystem::path& path) : path_(path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) throw FileOpenError(path, errno);
  struct stat info;
  if (::fstat(fd_, &info) != 0) {
    const int error = errno;
    ::close(fd_);
    throw FileOpenError(path, error);
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd_);
    throw FileOpenError(path, NotRegularFileText(info.st_mode));
  }
  size_ = static_cast<uint64_t>(info.st_size);
}

TRegularFile::~TRegularFile() { ::close(fd_); }

void TRegularFile::ReadChunks(const std::function<void(std::string_view)>& feed) const {
  std::unique_ptr<char[]> chunk(new char[kDecodeChunkBytes]);
  uint64_t offset = 0;
  while (offset < size_) {
    const size_t wanted =
        static_cast<size_t>(std::min<uint64_t>(kDecodeChunkBytes, size_ - offset));
    const ssize_t got = ::pread(fd_, chunk.get(), wanted, static_cast<off_t>(offset));
    if (got < 0) {
      if (errno == EINTR) continue;
      throw FileOpenError(path_, errno);
    }
    if (got == 0) return;
    offset += static_cast<uint64_t>(got);
    feed(std::string_view(chunk.get(), static_cast<size_t>(got)));
  }
}

}  // namespace farrowdale
