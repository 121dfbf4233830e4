// Creating or replacing a file so that anyone who opens it sees either the old file whole or
// the new one whole, never part of one, and never writing through a link.
//
// The bytes go to a new temporary file in the same folder (created exclusively, never
// following a link), are synced to the disk, and the temporary file is then renamed over the
// file and the folder synced. On any failure the temporary file is removed and the old file
// is left exactly as it was. Two writers at once each leave a complete file; the last rename
// wins.
#ifndef FARROWDALE_TEXT_ATOMIC_FILE_H_
#define FARROWDALE_TEXT_ATOMIC_FILE_H_

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>

namespace farrowdale {

// A file written piece by piece and put in place whole. Append and Sync may run on one
// thread and Commit on another (one at a time), so that a worker writes and syncs while the
// calling thread decides, in its own order, which files take their place. Every failure
// throws the file-create Error naming the file's path, with the platform's text.
class TAtomicFile {
 public:
  // Creates the temporary file beside path. Throws, creating nothing, also when path exists
  // and is not a regular file (CheckReplaceableFile).
  explicit TAtomicFile(std::filesystem::path path);
  // Without a Commit: the temporary file is removed and the file at path left as it was.
  ~TAtomicFile();
  TAtomicFile(TAtomicFile&& other) noexcept;
  // Drops this object's own temporary file first, as its destructor would.
  TAtomicFile& operator=(TAtomicFile&& other) noexcept;
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;

  // REQUIRES: not yet synced.
  void Append(std::string_view bytes);
  // Syncs the bytes to the disk and closes the temporary file (a full disk or a quota may
  // show only here).
  void Sync();
  // Syncs when not yet done, renames the temporary file over path, and syncs the folder so
  // that the rename lasts too (a folder that cannot be synced, as on some network file
  // systems, has still been written). Afterwards the object owns nothing.
  void Commit();

  const std::filesystem::path& path() const { return path_; }

 private:
  void Drop() noexcept;

  std::filesystem::path path_;
  std::filesystem::path temporary_;  // empty once committed or moved from
  int fd_ = -1;                      // -1 once synced
};

// The whole file at once: a TAtomicFile appended to once and committed.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// A file's identity: the device and inode that name and hard links share.
using TFileIdentity = std::pair<dev_t, ino_t>;

// Throws the error TAtomicFile gives for a path that exists and is not a regular file, so
// that a caller can check all its paths before it writes any. Returns the identity of the
// regular file at path, or nothing when there is none.
std::optional<TFileIdentity> CheckReplaceableFile(const std::filesystem::path& path);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_ATOMIC_FILE_H_
