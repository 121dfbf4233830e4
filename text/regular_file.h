// TRegularFile: a file opened for reading that can never block a run or feed it forever.
//
// Only a regular file is read. The open itself never blocks (a FIFO with no writer would
// block an ordinary open), the file's type is checked on the open descriptor (so a link
// swapped in between cannot slip a device past the check), and reading stops at the size the
// descriptor reported when it was opened (so a file that grows while it is read, or a device
// that never ends, cannot keep the reader going). The descriptor is closed with the object.
#ifndef FARROWDALE_TEXT_REGULAR_FILE_H_
#define FARROWDALE_TEXT_REGULAR_FILE_H_

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

namespace farrowdale {

class TRegularFile {
 public:
  // Opens path (following links). Throws the file-open Error: with the platform's text when
  // the open fails (missing, no access), or naming what the path is instead ("It is a folder,
  // not a regular file.").
  explicit TRegularFile(const std::filesystem::path& path);
  TRegularFile(const TRegularFile&) = delete;
  TRegularFile& operator=(const TRegularFile&) = delete;
  ~TRegularFile();

  // Calls feed with the file's bytes from its start, in chunks, in order: at most the size
  // the file had when it was opened, less when it has shrunk since. May be called again to
  // read from the start anew. A read error throws the file-open Error.
  void ReadChunks(const std::function<void(std::string_view)>& feed) const;
  // The size the file had when it was opened, in bytes.
  uint64_t size() const { return size_; }

 private:
  std::filesystem::path path_;
  int fd_;
  uint64_t size_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_REGULAR_FILE_H_
