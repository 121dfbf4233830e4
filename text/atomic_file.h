// Creating or replacing files so that anyone who opens one sees either the old file whole or
// the new one whole, never part of one, and never writing through a link.
//
// The bytes go to a new temporary file in the same folder (created exclusively, never
// following a link), are made durable, and the temporary file is then renamed over the file
// and the folder synced. On any failure the temporary file is removed and the old file is
// left exactly as it was. Two writers at once each leave a complete file; the last rename
// wins (TFolderLock keeps whole runs apart).
//
// Temporary names are short and of one fixed length whatever the file's name (so any name
// the file system allows can be written): ".farrowdale-PID-XXXXXXXXXXXXXXXX.tmp", hidden,
// with the writing process's id, which lets a later run tell the temporaries of a process
// that is gone (killed mid-write) and remove them (RemoveStaleTemporaries).
//
// Several files commit together through a TAtomicFileBatch: each file's write-back is started
// as soon as it is complete, and at the commit every file is made durable before any is
// renamed, so that a power cut at any moment leaves each name on either its old file or its
// new one whole. How depends on the file system each file is on (the batch may span several):
//  - ext2/3/4 (with a journal or without one), XFS, Btrfs and F2FS: the batch waits for each
//    file's bytes to be written (so a failure names the file), then syncs the file system
//    once (syncfs: every dirty page and inode of it written, its journal, log or checkpoint
//    committed) and flushes the disk's cache once more (fdatasync of a file syncfs has already
//    written: without a journal, ext4's syncfs flushes the cache before it writes its last
//    metadata blocks, not after). Syncing one file would not do: it commits other files'
//    sizes and blocks only where all inodes share one journal transaction (ext4 with a
//    journal); without a journal, and on file systems whose fsync logs the synced inode
//    alone (Btrfs's log tree, F2FS's roll-forward), the other files could come back empty or
//    short after the renames. syncfs also waits for what other programs wrote to the same
//    file system and has not yet synced.
//  - any other file system (network and FUSE file systems among them, whose syncfs need not
//    reach the storage): fdatasync of each file, which every file system honours.
// A TBatchCommitThread commits batches one after another on a thread of its own, so that the
// next batch is written while the last one is made durable and put in place.
//
// A file may also hold its bytes in memory (EAtomicFileStart::kAtCommit) until a batch
// writes it out: a batch hands the files it holds over to a writer thread of its own (one per
// batch, started at the first hand-over) every few files; the writer takes the hand-overs in
// order, each after the one before, and creates, writes and starts the write-back of each file, so
// the thread that rendered them spends no time on the file system and the disk still gets the bytes
// early. Its bytes are the same either way; only the moment a folder that cannot take the file
// shows its error moves to the batch's commit. A file that grows past kHeldBytesLimit is written
// out as it grows, and a batch holds at most kHeldBatchBytes in memory (files beyond are written
// out when added), so the memory held stays bounded whatever the files' sizes.
#ifndef FARROWDALE_TEXT_ATOMIC_FILE_H_
#define FARROWDALE_TEXT_ATOMIC_FILE_H_

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace farrowdale {

// When a TAtomicFile creates its temporary file.
enum class EAtomicFileStart {
  kNow,       // in the constructor: a folder that cannot take the file fails it
  kAtCommit,  // when the bytes are synced or committed, or outgrow kHeldBytesLimit
};

// The bytes a kAtCommit file holds in memory at most, and a batch of such files.
inline constexpr size_t kHeldBytesLimit = size_t{1} << 20;
inline constexpr uint64_t kHeldBatchBytes = uint64_t{16} << 20;

// A file written piece by piece and put in place whole. Append and Sync (or StartWriteBack)
// may run on one thread and Commit on another (one at a time), so that a worker writes while
// the calling thread decides, in its own order, which files take their place. Every failure
// throws the file-create Error naming the file's path, with the platform's text.
class TAtomicFile {
 public:
  // Creates the temporary file beside path, at once or later (start). Throws, creating
  // nothing, also when path exists and is not a regular file (CheckReplaceableFile).
  explicit TAtomicFile(std::filesystem::path path, EAtomicFileStart start = EAtomicFileStart::kNow);
  // Without a Commit: the temporary file is removed and the file at path left as it was.
  ~TAtomicFile();
  TAtomicFile(TAtomicFile&& other) noexcept;
  // Drops this object's own temporary file first, as its destructor would.
  TAtomicFile& operator=(TAtomicFile&& other) noexcept;
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;

  // REQUIRES: not yet synced.
  void Append(std::string_view bytes);
  // The bytes are complete: starts writing them to the disk without waiting for it, for a
  // TAtomicFileBatch (or Sync) to make durable, and closes the temporary file, so that files
  // waiting for their commit hold no descriptor; bytes held in memory stay there for the
  // commit. No Append after it.
  void StartWriteBack();
  // Syncs the bytes to the disk and closes the temporary file (a full disk or a quota may
  // show only here).
  void Sync();
  // Syncs when not yet done, renames the temporary file over path, and syncs the folder so
  // that the rename lasts too (a folder that cannot be synced, as on some network file
  // systems, has still been written). Afterwards the object owns nothing.
  void Commit();

  const std::filesystem::path& path() const { return path_; }
  // The bytes appended so far.
  uint64_t size() const { return size_; }

 private:
  friend class TAtomicFileBatch;

  void Drop() noexcept;
  // Adds bytes to those held, which stay where they are (held_ is a chain of pieces).
  void Hold(std::string_view bytes);
  // Creates the temporary file of a file holding its bytes and writes them there.
  void WriteOutHeld();
  void Write(std::string_view bytes);
  // The temporary file opened for reading, to sync it after StartWriteBack closed it.
  int OpenWrittenFile() const;

  std::filesystem::path path_;
  std::filesystem::path temporary_;  // empty once committed or moved from
  int fd_ = -1;                      // open for writing until synced or written back
  bool holding_ = false;             // no temporary file yet: the bytes are in held_
  std::vector<std::string> held_;    // pieces in order, each reserved once, never moved
  bool durable_ = false;             // synced to the disk
  uint64_t size_ = 0;
};

// Files committed together: Commit makes every one durable (one syncfs per file system where
// that is enough, see above), then renames each over its path in the order added and syncs
// each folder once. Dropped uncommitted (or after a failed Commit), every temporary still held
// is removed.
class TAtomicFileBatch {
 public:
  TAtomicFileBatch();
  // Waits for the writer thread, if any, which drops what it has not written yet.
  ~TAtomicFileBatch();
  TAtomicFileBatch(TAtomicFileBatch&& other) noexcept;
  TAtomicFileBatch& operator=(TAtomicFileBatch&& other) noexcept;

  // file is complete (StartWriteBack called, or not yet: then it is called here).
  void Add(TAtomicFile file);
  size_t file_count() const { return handed_over_ + files_.size(); }
  uint64_t byte_count() const { return bytes_; }
  // Waits until every file's bytes are written, makes them durable (see above), closes the
  // files and renames them into place. A failure (a full disk shows here at the latest) throws
  // the file-create Error of the file it met, before any rename when it is a write failure;
  // files not yet renamed are then removed. Afterwards the batch is empty.
  void Commit();
  // Hands the files added since the last hand-over, when any holds its bytes, to the batch's
  // writer thread, which writes them out once those handed over before are and starts their
  // write-back: that work overlaps whatever the caller does next (another batch's commit).
  void HandOverForWriting();

 private:
  class THeldWriter;

  static void WriteOutAndStartWriteBack(TAtomicFile& file);
  // Every file in the order added, those handed over once they are written out.
  std::vector<TAtomicFile> TakeFiles();

  std::vector<TAtomicFile> files_;  // added since the last hand-over
  uint64_t bytes_ = 0;
  uint64_t held_bytes_ = 0;     // of files holding their bytes when added, for the batch's cap
  uint64_t unhanded_held_ = 0;  // of those in files_
  // Writes out the files handed over; null until the first hand-over.
  std::unique_ptr<THeldWriter> writer_;
  size_t handed_over_ = 0;
};

// Batches committed in the order given, each on a thread of its own and whole before the next
// one starts, while the caller goes on. A batch is committed exactly as its Commit would on the
// calling thread; only the time at which a failure shows moves to the next Start or Wait. The
// files a batch holds in memory are written out by the batch's writer thread while the batch
// before is being committed.
class TBatchCommitThread {
 public:
  TBatchCommitThread() = default;
  // Waits for the batch being committed, if any; a failure it meets is dropped (the caller is
  // leaving on an error of its own, or would have called Wait).
  ~TBatchCommitThread();
  TBatchCommitThread(const TBatchCommitThread&) = delete;
  TBatchCommitThread& operator=(const TBatchCommitThread&) = delete;

  // Waits for the batch before (Wait, whose failure leaves batch uncommitted: its
  // temporaries are removed), then starts committing batch. Afterwards batch is empty.
  void Start(TAtomicFileBatch& batch);
  // Returns once the batch started last is committed, at once when none is being committed;
  // rethrows the failure of its Commit.
  void Wait();

 private:
  std::future<void> committing_;
};

// The whole file at once: a TAtomicFile appended to once and committed.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Removes from folder the temporary files this program made there whose process no longer
// runs (a run killed while writing); a live process's temporaries and every other file stay.
// Best effort: what cannot be listed or removed is left.
void RemoveStaleTemporaries(const std::filesystem::path& folder);

// A file's identity: the device and inode that name and hard links share.
using TFileIdentity = std::pair<dev_t, ino_t>;

// Throws the error TAtomicFile gives for a path that exists and is not a regular file, so
// that a caller can check all its paths before it writes any. Returns the identity of the
// regular file at path, or nothing when there is none.
std::optional<TFileIdentity> CheckReplaceableFile(const std::filesystem::path& path);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_ATOMIC_FILE_H_
