// Reading and writing whole text files: encoding detection, decoding, UTF-16 LE output.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "text/error.h"
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

// The whole content of an open file, read in one go into a buffer that is not zeroed first
// (or in growing pieces when the size is not known in advance). Returns 0 or the failure code.
int ReadAll(int fd, std::unique_ptr<char[]>* buffer, size_t* size) {
  struct stat info;
  size_t capacity = 1 << 16;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    capacity = static_cast<size_t>(info.st_size) + 1;  // +1 sees the end without regrowing
  }
  std::unique_ptr<char[]> bytes(new char[capacity]);
  size_t used = 0;
  for (;;) {
    if (used == capacity) {
      std::unique_ptr<char[]> larger(new char[capacity * 2]);
      std::memcpy(larger.get(), bytes.get(), used);
      bytes = std::move(larger);
      capacity *= 2;
    }
    const ssize_t got = ::read(fd, bytes.get() + used, capacity - used);
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (got == 0) break;
    used += static_cast<size_t>(got);
  }
  *buffer = std::move(bytes);
  *size = used;
  return 0;
}

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

}  // namespace

void TUnicodeStringList::LoadFromBytes(std::string_view bytes) {
  // Decoded piece by piece straight into the lines; the list changes only at the end.
  std::vector<std::u16string> lines;
  LineSplitter splitter(&lines);
  DecodeTextPieces(bytes, kDecodeBlockBytes,
                   [&splitter](std::u16string_view piece) { return splitter.Feed(piece); });
  splitter.Finish();
  entries_.swap(lines);
}

void TUnicodeStringList::ReadTextFile(const std::filesystem::path& path) {
  std::unique_ptr<char[]> bytes;
  size_t size = 0;
  {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) throw FileOpenError(path, errno);
    // A read failure (a folder, an I/O error) is reported like a failed open; the list keeps
    // its content either way.
    if (const int error = ReadAll(file.get(), &bytes, &size)) throw FileOpenError(path, error);
  }
  LoadFromBytes(std::string_view(bytes.get(), size));
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
