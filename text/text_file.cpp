// Reading and writing whole text files: encoding detection, decoding, UTF-16 LE output.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "text/code_page.h"
#include "text/error.h"
#include "text/unicode_string_list.h"
#include "text/utf8.h"

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

std::u16string DecodeUtf16(std::string_view bytes, bool big_endian) {
  std::u16string text(bytes.size() / 2, u'\0');
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const int high = big_endian ? 0 : 1;
  for (size_t i = 0; i < text.size(); ++i, p += 2) {
    text[i] = static_cast<char16_t>(p[high] << 8 | p[1 - high]);
  }
  return text;
}

// The whole content of an open file, read in one go (or in large pieces when its size is not
// known in advance). Returns 0 or the failure code.
int ReadAll(int fd, std::string& bytes) {
  struct stat info;
  size_t capacity = 1 << 16;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    capacity = static_cast<size_t>(info.st_size) + 1;  // +1 sees the end without regrowing
  }
  bytes.resize(capacity);
  size_t used = 0;
  for (;;) {
    if (used == bytes.size()) bytes.resize(bytes.size() * 2);
    const ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (got == 0) break;
    used += static_cast<size_t>(got);
  }
  bytes.resize(used);
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

TextEncoding DetectTextEncoding(std::string_view bytes, size_t* bom_length) {
  *bom_length = 0;
  if (bytes.size() >= 2) {
    if (bytes[0] == '\xFF' && bytes[1] == '\xFE') {
      *bom_length = 2;
      return TextEncoding::Utf16Le;
    }
    if (bytes[0] == '\xFE' && bytes[1] == '\xFF') {
      *bom_length = 2;
      return TextEncoding::Utf16Be;
    }
  }
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    *bom_length = 3;
    return TextEncoding::Utf8;
  }
  return TextEncoding::SystemCodePage;
}

std::u16string DecodeTextFileBytes(std::string_view bytes) {
  size_t bom_length;
  const TextEncoding encoding = DetectTextEncoding(bytes, &bom_length);
  bytes.remove_prefix(bom_length);
  std::u16string text;
  switch (encoding) {
    case TextEncoding::Utf16Le:
      text = DecodeUtf16(bytes, false);
      break;
    case TextEncoding::Utf16Be:
      text = DecodeUtf16(bytes, true);
      break;
    case TextEncoding::Utf8:
      text = Utf8ToUtf16(bytes);
      break;
    case TextEncoding::SystemCodePage:
      text = ToUnicode(bytes);
      break;
  }
  const size_t nul = text.find(u'\0');
  if (nul != std::u16string::npos) text.resize(nul);
  return text;
}

void TUnicodeStringList::LoadFromBytes(std::string_view bytes) {
  AssignText(DecodeTextFileBytes(bytes));
}

void TUnicodeStringList::ReadTextFile(const std::filesystem::path& path) {
  std::string bytes;
  {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) throw FileOpenError(path, errno);
    // A read failure (a folder, an I/O error) is reported like a failed open; the list keeps
    // its content either way.
    if (const int error = ReadAll(file.get(), bytes)) throw FileOpenError(path, error);
  }
  LoadFromBytes(bytes);
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
