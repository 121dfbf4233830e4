#include "text/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <exception>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <utility>

#include "text/error.h"

namespace farrowdale {
namespace {

constexpr std::string_view kTemporaryPrefix = ".farrowdale-";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr size_t kTemporaryRandomDigits = 16;

// A batch hands the files it holds in memory over for writing once they reach this many
// bytes or files, so that their write-back starts early.
constexpr uint64_t kHandOverBytes = uint64_t{1} << 20;
constexpr size_t kHandOverFiles = 32;

// The smallest piece of a file's held bytes: later pieces grow with the bytes held (each as
// large as all before it), so a file holds a few pieces and reserves at most about twice its
// bytes, as one growing string would, without moving what it holds.
constexpr size_t kFirstHeldPiece = 4096;

// ".farrowdale-PID-XXXXXXXXXXXXXXXX.tmp" beside path: the process, then 64 random bits (a
// counter mixed in, so two files of one thread never draw the same name).
std::filesystem::path TemporaryPathFor(const std::filesystem::path& path) {
  static std::atomic<uint64_t> counter{0};
  thread_local std::mt19937_64 random(std::random_device{}());
  const uint64_t bits = random() ^ (counter++ * 0x9E3779B97F4A7C15ull);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string name(kTemporaryPrefix);
  name += std::to_string(::getpid());
  name += '-';
  for (size_t i = 0; i < kTemporaryRandomDigits; ++i) name += kHex[(bits >> (4 * i)) & 0xF];
  name += kTemporarySuffix;
  return path.parent_path() / name;
}

// The process id in a temporary name of ours, or nothing for any other name.
std::optional<pid_t> TemporaryOwner(std::string_view name) {
  if (name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix) return std::nullopt;
  name.remove_prefix(kTemporaryPrefix.size());
  const size_t dash = name.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash > 9 ||
      name.size() != dash + 1 + kTemporaryRandomDigits + kTemporarySuffix.size() ||
      name.substr(name.size() - kTemporarySuffix.size()) != kTemporarySuffix) {
    return std::nullopt;
  }
  pid_t pid = 0;
  for (char c : name.substr(0, dash)) {
    if (c < '0' || c > '9') return std::nullopt;
    pid = pid * 10 + (c - '0');
  }
  for (char c : name.substr(dash + 1, kTemporaryRandomDigits)) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::nullopt;
  }
  return pid;
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

std::filesystem::path FolderOf(const std::filesystem::path& path) {
  return path.has_parent_path() ? path.parent_path() : ".";
}

void SyncFolder(const std::filesystem::path& folder) {
  const int folder_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd >= 0) {
    ::fsync(folder_fd);
    ::close(folder_fd);
  }
}

// Waits until the file's bytes have been handed to the disk; 0 or the errno of the failure.
// Where the file system cannot say so for a range, the file is synced instead.
int WaitForWriteBack(int fd) {
  if (::sync_file_range(
          fd, 0, 0,
          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER) == 0) {
    return 0;
  }
  if (errno != EINVAL && errno != ESPIPE && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
  return ::fdatasync(fd) == 0 ? 0 : errno;
}

// A file descriptor closed with its holder.
class TDescriptor {
 public:
  TDescriptor() = default;
  explicit TDescriptor(int fd) : fd_(fd) {}
  ~TDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  TDescriptor(TDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  TDescriptor& operator=(TDescriptor&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  int get() const { return fd_; }

 private:
  int fd_ = -1;
};

// Whether the file system holding fd makes every file durable with one syncfs: the local
// block file systems whose own sync commits everything written before it (ext2, ext3 and
// ext4 with or without a journal, XFS, Btrfs, F2FS). Elsewhere (network and FUSE file
// systems among them) only fsync is sure to reach the storage, so each file is synced.
bool SyncsAsAWhole(int fd) {
  struct statfs info;
  if (::fstatfs(fd, &info) != 0) return false;
  switch (static_cast<uint64_t>(info.f_type)) {
    case EXT4_SUPER_MAGIC:
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
      return true;
    default:
      return false;
  }
}

// One file system a batch writes to, made durable as a whole when it can be.
struct TFileSystemSync {
  bool whole = false;
  TDescriptor any_file;                         // one of the batch's files on it
  const std::filesystem::path* path = nullptr;  // that file's, for the error
};

// syncfs writes every dirty page and inode of the file system and commits its journal, log
// or checkpoint; the fdatasync after it, of a file it has already written, only flushes the
// disk's cache, which the file systems without a journal need: their syncfs flushes the
// cache before it writes the last metadata blocks, not after.
void SyncFileSystem(const TFileSystemSync& file_system) {
  if (::syncfs(file_system.any_file.get()) != 0 || ::fdatasync(file_system.any_file.get()) != 0) {
    throw FileCreateError(*file_system.path, errno);
  }
}

}  // namespace

std::optional<TFileIdentity> CheckReplaceableFile(const std::filesystem::path& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
  if (!S_ISREG(info.st_mode)) throw FileCreateError(path, NotRegularFileText(info.st_mode));
  return TFileIdentity{info.st_dev, info.st_ino};
}

TAtomicFile::TAtomicFile(std::filesystem::path path, EAtomicFileStart start)
    : path_(std::move(path)) {
  CheckReplaceableFile(path_);
  if (start == EAtomicFileStart::kNow) {
    fd_ = CreateTemporaryFile(path_, &temporary_);
  } else {
    holding_ = true;
  }
}

TAtomicFile::TAtomicFile(TAtomicFile&& other) noexcept
    : path_(std::move(other.path_)),
      temporary_(std::exchange(other.temporary_, {})),
      fd_(std::exchange(other.fd_, -1)),
      holding_(std::exchange(other.holding_, false)),
      held_(std::move(other.held_)),
      durable_(other.durable_),
      size_(other.size_) {}

TAtomicFile& TAtomicFile::operator=(TAtomicFile&& other) noexcept {
  if (this != &other) {
    Drop();
    path_ = std::move(other.path_);
    temporary_ = std::exchange(other.temporary_, {});
    fd_ = std::exchange(other.fd_, -1);
    holding_ = std::exchange(other.holding_, false);
    held_ = std::move(other.held_);
    durable_ = other.durable_;
    size_ = other.size_;
  }
  return *this;
}

TAtomicFile::~TAtomicFile() { Drop(); }

void TAtomicFile::Drop() noexcept {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  holding_ = false;
  held_ = std::vector<std::string>();
}

void TAtomicFile::Append(std::string_view bytes) {
  if (holding_) {
    // While the file holds its bytes, size_ counts exactly the bytes held.
    if (size_ + bytes.size() <= kHeldBytesLimit) {
      Hold(bytes);
      size_ += bytes.size();
      return;
    }
    WriteOutHeld();
  }
  Write(bytes);
  size_ += bytes.size();
}

void TAtomicFile::Hold(std::string_view bytes) {
  size_t held = size_;
  if (!held_.empty()) {
    std::string& last = held_.back();
    const size_t room = std::min(bytes.size(), last.capacity() - last.size());
    last.append(bytes.substr(0, room));
    bytes.remove_prefix(room);
    held += room;
  }
  if (bytes.empty()) return;
  // Append keeps held + bytes within kHeldBytesLimit, so the bounds are in order.
  const size_t piece =
      std::clamp(std::max(held, kFirstHeldPiece), bytes.size(), kHeldBytesLimit - held);
  held_.emplace_back().reserve(piece);
  held_.back().append(bytes);
}

void TAtomicFile::WriteOutHeld() {
  fd_ = CreateTemporaryFile(path_, &temporary_);
  holding_ = false;
  const std::vector<std::string> held = std::exchange(held_, {});
  // All pieces in one system call where the file system takes them at once.
  std::vector<iovec> pieces;
  for (const std::string& piece : held) {
    if (!piece.empty()) pieces.push_back({const_cast<char*>(piece.data()), piece.size()});
  }
  size_t next = 0;
  while (next < pieces.size()) {
    const int count = static_cast<int>(std::min<size_t>(pieces.size() - next, IOV_MAX));
    const ssize_t written = ::writev(fd_, &pieces[next], count);
    if (written < 0) {
      if (errno == EINTR) continue;
      throw FileCreateError(path_, errno);
    }
    // Past the pieces written whole; the rest of one written in part goes on from where it stopped.
    size_t left = static_cast<size_t>(written);
    while (next < pieces.size() && left >= pieces[next].iov_len) left -= pieces[next++].iov_len;
    if (left > 0) {
      pieces[next].iov_base = static_cast<char*>(pieces[next].iov_base) + left;
      pieces[next].iov_len -= left;
    }
  }
}

void TAtomicFile::Write(std::string_view bytes) {
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

void TAtomicFile::StartWriteBack() {
  if (holding_ || fd_ < 0) return;
  // Advice only: the commit waits for the bytes and reports what failed.
  ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
  if (::close(std::exchange(fd_, -1)) != 0) throw FileCreateError(path_, errno);
}

void TAtomicFile::Sync() {
  if (holding_) WriteOutHeld();
  if (durable_ || temporary_.empty()) return;
  const int fd = fd_ >= 0 ? std::exchange(fd_, -1) : OpenWrittenFile();
  int error = ::fsync(fd) != 0 ? errno : 0;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) throw FileCreateError(path_, error);
  durable_ = true;
}

int TAtomicFile::OpenWrittenFile() const {
  const int fd = ::open(temporary_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) throw FileCreateError(path_, errno);
  return fd;
}

void TAtomicFile::Commit() {
  Sync();
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) throw FileCreateError(path_, errno);
  temporary_.clear();
  SyncFolder(FolderOf(path_));
}

// The thread a batch hands its held files over to. It writes out each hand-over's files, in
// the order handed over, and keeps them for the commit. Race-free by ownership: a hand-over
// passes through pending_ under mutex_ only, and written_ and error_ belong to the thread
// alone until Finish has joined it. The first failure ends the thread; the files not yet
// written out are dropped with it (removing any temporary file of theirs).
class TAtomicFileBatch::THeldWriter {
 public:
  THeldWriter() : thread_([this] { Run(); }) {}
  // The files not yet written out are dropped, unwritten.
  ~THeldWriter() {
    if (!thread_.joinable()) return;
    std::deque<std::vector<TAtomicFile>> dropped;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      dropped.swap(pending_);
      closed_ = true;
    }
    ready_.notify_one();
    thread_.join();
  }
  THeldWriter(const THeldWriter&) = delete;
  THeldWriter& operator=(const THeldWriter&) = delete;

  void HandOver(std::vector<TAtomicFile> files) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      pending_.push_back(std::move(files));
    }
    ready_.notify_one();
  }

  // Waits until every file handed over is written out and returns them in the order handed
  // over; rethrows the first failure instead.
  std::vector<TAtomicFile> Finish() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      closed_ = true;
    }
    ready_.notify_one();
    thread_.join();
    if (error_) std::rethrow_exception(error_);
    return std::move(written_);
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      ready_.wait(lock, [this] { return closed_ || !pending_.empty(); });
      if (pending_.empty()) return;
      std::vector<TAtomicFile> files = std::move(pending_.front());
      pending_.pop_front();
      lock.unlock();
      try {
        for (TAtomicFile& file : files) WriteOutAndStartWriteBack(file);
      } catch (...) {
        error_ = std::current_exception();
        return;
      }
      std::move(files.begin(), files.end(), std::back_inserter(written_));
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::vector<TAtomicFile>> pending_;  // guarded by mutex_
  bool closed_ = false;                           // guarded by mutex_: no more hand-overs
  std::vector<TAtomicFile> written_;
  std::exception_ptr error_;
  std::thread thread_;  // last: starts once the members it uses are built
};

TAtomicFileBatch::TAtomicFileBatch() = default;
TAtomicFileBatch::~TAtomicFileBatch() = default;
TAtomicFileBatch::TAtomicFileBatch(TAtomicFileBatch&& other) noexcept = default;
TAtomicFileBatch& TAtomicFileBatch::operator=(TAtomicFileBatch&& other) noexcept = default;

void TAtomicFileBatch::Add(TAtomicFile file) {
  // Beyond what the batch may hold in memory, a file is written out here.
  if (file.holding_ && held_bytes_ + file.size() > kHeldBatchBytes) file.WriteOutHeld();
  if (file.holding_) {
    held_bytes_ += file.size();
    unhanded_held_ += file.size();
  }
  // Written back and closed: a batch holds no descriptors.
  file.StartWriteBack();
  bytes_ += file.size();
  files_.push_back(std::move(file));
  if (unhanded_held_ >= kHandOverBytes || files_.size() >= kHandOverFiles) HandOverForWriting();
}

void TAtomicFileBatch::HandOverForWriting() {
  if (unhanded_held_ == 0) return;
  handed_over_ += files_.size();
  unhanded_held_ = 0;
  if (!writer_) writer_ = std::make_unique<THeldWriter>();
  writer_->HandOver(std::exchange(files_, {}));
}

std::vector<TAtomicFile> TAtomicFileBatch::TakeFiles() {
  std::vector<TAtomicFile> files;
  // Taken first: a failure of the files handed over leaves files_ to be removed with the batch.
  if (writer_) files = std::exchange(writer_, nullptr)->Finish();
  std::move(files_.begin(), files_.end(), std::back_inserter(files));
  files_.clear();
  handed_over_ = 0;
  unhanded_held_ = 0;
  return files;
}

void TAtomicFileBatch::WriteOutAndStartWriteBack(TAtomicFile& file) {
  if (!file.holding_) return;
  file.WriteOutHeld();
  file.StartWriteBack();
}

void TAtomicFileBatch::Commit() {
  // The batch is emptied whatever happens; what is not renamed is removed with it.
  bytes_ = 0;
  held_bytes_ = 0;
  std::vector<TAtomicFile> files = TakeFiles();
  // Files that held their bytes are created and written now, all of them before the first
  // wait, so the disk has every file's write-back at once.
  for (TAtomicFile& file : files) WriteOutAndStartWriteBack(file);
  // Every file is durable before the first rename, so that no name can ever lead to a file
  // whose bytes or size a power cut took.
  std::map<dev_t, TFileSystemSync> file_systems;
  for (TAtomicFile& file : files) {
    if (file.durable_) continue;
    TDescriptor written(file.OpenWrittenFile());
    struct stat info;
    if (::fstat(written.get(), &info) != 0) throw FileCreateError(file.path_, errno);
    auto [place, is_new] = file_systems.try_emplace(info.st_dev);
    TFileSystemSync& file_system = place->second;
    if (is_new) file_system.whole = SyncsAsAWhole(written.get());
    if (!file_system.whole) {
      if (::fdatasync(written.get()) != 0) throw FileCreateError(file.path_, errno);
      continue;
    }
    const int error = WaitForWriteBack(written.get());
    if (error != 0) throw FileCreateError(file.path_, error);
    if (is_new) {
      file_system.any_file = std::move(written);
      file_system.path = &file.path_;
    }
  }
  for (auto& [device, file_system] : file_systems) {
    if (file_system.whole) SyncFileSystem(file_system);
  }
  for (TAtomicFile& file : files) file.durable_ = true;
  std::set<std::filesystem::path> folders;
  for (TAtomicFile& file : files) {
    if (::rename(file.temporary_.c_str(), file.path_.c_str()) != 0) {
      throw FileCreateError(file.path_, errno);
    }
    file.temporary_.clear();
    folders.insert(FolderOf(file.path_));
  }
  for (const std::filesystem::path& folder : folders) SyncFolder(folder);
}

TBatchCommitThread::~TBatchCommitThread() {
  if (!committing_.valid()) return;
  try {
    committing_.get();
  } catch (...) {
    // Dropped: see the header.
  }
}

void TBatchCommitThread::Start(TAtomicFileBatch& batch) {
  // Removed with its temporaries here when Wait below fails, else by the committing thread.
  TAtomicFileBatch taken = std::exchange(batch, {});
  taken.HandOverForWriting();
  Wait();
  committing_ =
      std::async(std::launch::async, [taken = std::move(taken)]() mutable { taken.Commit(); });
}

void TBatchCommitThread::Wait() {
  if (committing_.valid()) committing_.get();
}

void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  TAtomicFile file(path);
  file.Append(bytes);
  file.Commit();
}

void RemoveStaleTemporaries(const std::filesystem::path& folder) {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
  if (!dir) return;
  const int dir_fd = ::dirfd(dir.get());
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::optional<pid_t> owner = TemporaryOwner(entry->d_name);
    if (!owner || *owner <= 0) continue;
    // Signal 0 only asks whether the process exists; EPERM means it does, as another user's.
    if (::kill(*owner, 0) == 0 || errno != ESRCH) continue;
    struct stat info;
    if (::fstatat(dir_fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(info.st_mode)) {
      continue;
    }
    ::unlinkat(dir_fd, entry->d_name, 0);
  }
}

}  // namespace farrowdale
