// Reading and writing whole text files: encoding detection, decoding, UTF-16 LE output.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "text/error.h"
#include "text/file_chunks.h"
#include "text/line_splitter.h"
#include "text/text_decoding.h"
#include "text/unicode_string_list.h"

namespace farrowdale {
namespace {

// Closes a descriptor on every path.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and reports the failure code, or 0.
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

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

// Builds the lines of a file's bytes, fed in chunks, away from the list, so that the list
// changes only when the whole file has been read.
class LineLoader {
 public:
  LineLoader()
      : splitter_(&lines_),
        decoder_([this](std::u16string_view piece) { return splitter_.Feed(piece); }) {}
  LineLoader(const LineLoader&) = delete;
  LineLoader& operator=(const LineLoader&) = delete;
  void Feed(std::string_view bytes) { decoder_.Feed(bytes); }
  std::vector<std::u16string> Finish() {
    decoder_.Finish();
    splitter_.Finish();
    return std::move(lines_);
  }

 private:
  std::vector<std::u16string> lines_;
  LineSplitter splitter_;
  TextDecoder decoder_;
};

}  // namespace

void TUnicodeStringList::LoadFromBytes(std::string_view bytes) {
  LineLoader loader;
  while (!bytes.empty()) {
    const size_t chunk = std::min(bytes.size(), kDecodeChunkBytes);
    loader.Feed(bytes.substr(0, chunk));
    bytes.remove_prefix(chunk);
  }
  entries_ = loader.Finish();
}

void TUnicodeStringList::ReadTextFile(const std::filesystem::path& path) {
  // The file is read and decoded chunk by chunk; a failure leaves the list as it was.
  LineLoader loader;
  ReadFileChunks(path, [&](std::string_view chunk) { loader.Feed(chunk); });
  entries_ = loader.Finish();
}

void TUnicodeStringList::WriteTextFile(const std::filesystem::path& path) const {
  const std::u16string text = JoinedText();
  // UTF-16 LE with its mark, built in one buffer and written in one go.
  std::string bytes(2 + text.size() * 2, '\0');
  bytes[0] = '\xFF';
  bytes[1] = '\xFE';
  char* out = bytes.data() + 2;
  for (char16_t unit : text) {
    *out++ = static_cast<char>(unit & 0xFF);
    *out++ = static_cast<char>(unit >> 8);
  }
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (file.get() < 0) throw FileCreateError(path, errno);
  // A full disk shows only at write or close; either is reported, never a silent success.
  if (const int error = WriteAll(file.get(), bytes.data(), bytes.size())) {
    throw FileCreateError(path, error);
  }
  if (const int error = file.Close()) throw FileCreateError(path, error);
}

}  // namespace farrowdale
