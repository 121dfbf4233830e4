#include "text/file_chunks.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "text/error.h"
#include "text/text_decoding.h"

namespace farrowdale {

void ReadFileChunks(const std::filesystem::path& path,
                    const std::function<void(std::string_view)>& feed) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw FileOpenError(path, errno);
  // Closed on every path, the callback's exceptions included.
  const std::unique_ptr<const int, void (*)(const int*)> closer(&fd,
                                                                [](const int* f) { ::close(*f); });
  std::unique_ptr<char[]> chunk(new char[kDecodeChunkBytes]);
  for (;;) {
    const ssize_t got = ::read(fd, chunk.get(), kDecodeChunkBytes);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw FileOpenError(path, errno);
    }
    if (got == 0) return;
    feed(std::string_view(chunk.get(), static_cast<size_t>(got)));
  }
}

}  // namespace farrowdale
