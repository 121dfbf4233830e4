#include "text/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "testing/error_text.h"
#include "testing/scratch_folder.h"
#include "text/error.h"

namespace farrowdale {

using testing_support::ErrorText;
using testing_support::ScratchFolder;

namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public testing::Test {
 protected:
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::string WriteError(const fs::path& path, std::string_view bytes) {
    return ErrorText([&] { WriteFileAtomically(path, bytes); });
  }

  ScratchFolder scratch_{"farrowdale_atomic"};
  const fs::path& dir_ = scratch_.path();
};

TEST_F(AtomicFileTest, CreatesAndReplacesLeavingNothingElse) {
  const fs::path report = dir_ / "r.htm";
  WriteFileAtomically(report, "first, the longer one");
  WriteFileAtomically(report, "second");
  EXPECT_EQ(Read(report), "second");
  EXPECT_EQ(Names(), std::vector<std::string>{"r.htm"});
  EXPECT_EQ(WriteError(dir_ / "no_folder" / "r.htm", "x"),
            "Cannot create file \"" + (dir_ / "no_folder" / "r.htm").string() +
                "\". No such file or directory");
}

TEST_F(AtomicFileTest, NeverWritesThroughALinkOrOverAFolder) {
  const fs::path text = dir_ / "text.txt";
  std::ofstream(text, std::ios::binary) << "the user's text";
  const fs::path link = dir_ / "r.htm";
  fs::create_symlink(text, link);
  EXPECT_EQ(WriteError(link, "report"), "Cannot create file \"" + link.string() +
                                            "\". It is a symbolic link, not a regular file.");
  EXPECT_EQ(Read(text), "the user's text");
  EXPECT_TRUE(fs::is_symlink(link));
  fs::create_directory(dir_ / "sub.htm");
  EXPECT_EQ(WriteError(dir_ / "sub.htm", "report"), "Cannot create file \"" +
                                                        (dir_ / "sub.htm").string() +
                                                        "\". It is a folder, not a regular file.");
  EXPECT_EQ(Names(), (std::vector<std::string>{"r.htm", "sub.htm", "text.txt"}));
}

// Written piece by piece, synced on one thread and committed on another: until the commit
// the old file stays as it was, and a file dropped uncommitted leaves nothing behind.
TEST_F(AtomicFileTest, PiecesTakeThePlaceOfTheOldFileOnlyAtTheCommit) {
  const fs::path report = dir_ / "r.htm";
  WriteFileAtomically(report, "old");
  {
    TAtomicFile dropped(report);
    dropped.Append("never ");
    dropped.Sync();
  }
  EXPECT_EQ(Names(), std::vector<std::string>{"r.htm"});

  TAtomicFile file(report);
  file.Append("new, ");
  file.Append("in pieces");
  file.Sync();
  EXPECT_EQ(Read(report), "old");
  TAtomicFile moved = std::move(file);
  std::thread([&] { moved.Commit(); }).join();
  EXPECT_EQ(Read(report), "new, in pieces");
  EXPECT_EQ(Names(), std::vector<std::string>{"r.htm"});
}

// A write that fails half-way (here: the file-size limit, as a full disk would) leaves the
// old file byte for byte and no temporary file.
TEST_F(AtomicFileTest, AFailedWriteLeavesTheOldFileWhole) {
  const fs::path report = dir_ / "r.htm";
  const std::string old_report(3000, 'o');
  WriteFileAtomically(report, old_report);

  rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  const std::string error = WriteError(report, std::string(5000, 'n'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_EQ(error, "Cannot create file \"" + report.string() + "\". File too large");
  EXPECT_EQ(Read(report), old_report);
  EXPECT_EQ(Names(), std::vector<std::string>{"r.htm"});
}

// A batch shows nothing until its commit, then everything; its temporaries have one short
// length whatever the names they stand for, and a dropped batch leaves none.
TEST_F(AtomicFileTest, ABatchTakesItsPlacesTogether) {
  fs::create_directory(dir_ / "sub");
  const fs::path paths[] = {dir_ / "a.htm", dir_ / std::string(250, 'n'), dir_ / "sub" / "b.csv"};
  WriteFileAtomically(paths[0], "old a");
  for (const bool commit : {false, true}) {
    TAtomicFileBatch batch;
    for (const fs::path& path : paths) {
      TAtomicFile file(path);
      file.Append("new " + path.filename().string().substr(0, 1));
      batch.Add(std::move(file));
    }
    EXPECT_EQ(batch.file_count(), 3u);
    EXPECT_EQ(batch.byte_count(), 15u);
    std::vector<size_t> lengths;
    for (const fs::path& folder : {dir_, dir_ / "sub"}) {
      for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name[0] == '.') lengths.push_back(name.size());
      }
    }
    ASSERT_EQ(lengths.size(), 3u);
    EXPECT_EQ(lengths[0], lengths[1]);
    EXPECT_EQ(lengths[0], lengths[2]);
    EXPECT_LT(lengths[0], 48u);
    EXPECT_EQ(Read(paths[0]), "old a");
    if (commit) batch.Commit();
  }
  EXPECT_EQ(Read(paths[0]), "new a");
  EXPECT_EQ(Read(paths[1]), "new n");
  EXPECT_EQ(Read(paths[2]), "new b");
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.htm", std::string(250, 'n'), "sub"}));
  EXPECT_EQ(fs::directory_iterator(dir_ / "sub")->path().filename(), "b.csv");
}

// A batch over two file systems, one made durable as a whole (the scratch folder's disk) and
// one file by file (the memory file system), puts every file of both in place.
TEST_F(AtomicFileTest, ABatchOverTwoFileSystemsTakesItsPlacesOnBoth) {
  const fs::path memory =
      fs::path("/dev/shm") / ("farrowdale_atomic_" + std::to_string(::getpid()));
  fs::remove_all(memory);
  fs::create_directory(memory);
  struct stat disk_info, memory_info;
  ASSERT_EQ(::stat(dir_.c_str(), &disk_info), 0);
  ASSERT_EQ(::stat(memory.c_str(), &memory_info), 0);
  ASSERT_NE(disk_info.st_dev, memory_info.st_dev);
  std::vector<fs::path> paths;
  for (const fs::path& folder : {dir_, memory}) {
    for (const char* name : {"a.htm", "b.htm", "c.csv"}) paths.push_back(folder / name);
  }
  WriteFileAtomically(paths[1], "old");
  WriteFileAtomically(paths[4], "old");
  TAtomicFileBatch batch;
  for (const fs::path& path : paths) {
    TAtomicFile file(
        path, path.extension() == ".csv" ? EAtomicFileStart::kNow : EAtomicFileStart::kAtCommit);
    file.Append(path.string());
    batch.Add(std::move(file));
  }
  batch.Commit();
  for (const fs::path& path : paths) EXPECT_EQ(Read(path), path.string());
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.htm", "b.htm", "c.csv"}));
  EXPECT_EQ(std::distance(fs::directory_iterator(memory), fs::directory_iterator()), 3);
  fs::remove_all(memory);
}

// Batches committed on a thread of their own land whole and in the order started; a failure
// shows at the next call, which keeps the batch it was handed out and removes its temporaries.
TEST_F(AtomicFileTest, BatchesCommitInOrderOnTheirOwnThread) {
  const fs::path report = dir_ / "r.htm";
  const fs::path blocked = dir_ / "blocked";
  auto batch_of = [](const fs::path& path, const std::string& bytes) {
    TAtomicFileBatch batch;
    TAtomicFile file(path);
    file.Append(bytes);
    batch.Add(std::move(file));
    return batch;
  };
  TBatchCommitThread commits;
  for (int round = 0; round < 5; ++round) {
    TAtomicFileBatch batch = batch_of(report, std::to_string(round));
    commits.Start(batch);
    EXPECT_EQ(batch.file_count(), 0u);
  }
  commits.Wait();
  EXPECT_EQ(Read(report), "4");

  TAtomicFileBatch failing = batch_of(blocked, "x");
  fs::create_directories(blocked / "inside");  // the rename over it fails
  commits.Start(failing);
  TAtomicFileBatch next = batch_of(report, "kept out");
  EXPECT_THROW(commits.Start(next), Error);
  commits.Wait();
  EXPECT_EQ(Read(report), "4");
  EXPECT_EQ(Names(), (std::vector<std::string>{"blocked", "r.htm"}));
}

// A file that holds its bytes until its commit makes no temporary before it and ends exactly
// as one created at once, whatever its pieces: small ones held, one that outgrows the limit
// written out as it grows, files beyond what a batch may hold written out when added. A
// folder that cannot take it fails the commit, leaving the batch's other files as they were.
TEST_F(AtomicFileTest, FilesHeldUntilTheCommitEndAsFilesCreatedAtOnce) {
  const std::string half(kHeldBytesLimit / 2, 'h');
  // Nothing, a byte, one byte past the limit of a file (written out as it grows), then files
  // of exactly the limit (held), the last two of which (with the byte before) would take the
  // batch beyond what it may hold and are written out when added.
  const size_t whole_files = kHeldBatchBytes / kHeldBytesLimit + 1;
  std::vector<std::vector<std::string>> contents = {{}, {"x"}, {half, half, "z"}};
  contents.resize(contents.size() + whole_files, {half, half});
  const size_t files = contents.size();
  for (const EAtomicFileStart start : {EAtomicFileStart::kNow, EAtomicFileStart::kAtCommit}) {
    TAtomicFileBatch batch;
    for (size_t file = 0; file < files; ++file) {
      TAtomicFile held(dir_ / (std::to_string(file) + ".htm"), start);
      for (const std::string& piece : contents[file]) held.Append(piece);
      batch.Add(std::move(held));
    }
    // Nothing is in place before the commit; the files written out when added are there.
    const std::vector<std::string> names = Names();
    EXPECT_TRUE(std::all_of(names.begin(), names.end(),
                            [](const std::string& name) { return name[0] == '.'; }));
    if (start == EAtomicFileStart::kNow) {
      EXPECT_EQ(names.size(), files);
    } else {
      EXPECT_GE(names.size(), 3u);
    }
    batch.Commit();
    for (size_t file = 0; file < files; ++file) {
      std::string expected;
      for (const std::string& piece : contents[file]) expected += piece;
      ASSERT_EQ(Read(dir_ / (std::to_string(file) + ".htm")), expected) << file;
    }
    EXPECT_EQ(Names().size(), files);
    for (const auto& entry : fs::directory_iterator(dir_)) fs::remove(entry.path());
  }

  // Enough files to be written out on other threads while the batch is added to, one of
  // them in the middle where it cannot be created.
  WriteFileAtomically(dir_ / "a.htm", "old a");
  TAtomicFileBatch batch;
  for (int file = 0; file < 200; ++file) {
    const fs::path path = file == 0     ? dir_ / "a.htm"
                          : file == 100 ? dir_ / "no_folder" / "b.htm"
                                        : dir_ / (std::to_string(file) + ".htm");
    TAtomicFile held(path, EAtomicFileStart::kAtCommit);
    held.Append("new");
    batch.Add(std::move(held));
  }
  EXPECT_EQ(batch.file_count(), 200u);
  EXPECT_EQ(ErrorText([&] { batch.Commit(); }), "Cannot create file \"" +
                                                    (dir_ / "no_folder" / "b.htm").string() +
                                                    "\". No such file or directory");
  EXPECT_EQ(Read(dir_ / "a.htm"), "old a");
  EXPECT_EQ(Names(), std::vector<std::string>{"a.htm"});
}

// Held files of any pieces, over several hand-overs per batch and several batches committed
// on their own thread, end as their bytes, and where files share a path the one added last
// wins: the writer keeps the order in which files were added.
TEST_F(AtomicFileTest, HeldFilesOfAnyPiecesTakeTheirPlacesInTheOrderAdded) {
  std::mt19937 random(7);
  auto piece_of = [&random](size_t size) {
    std::string piece(size, '\0');
    for (char& c : piece) c = static_cast<char>('a' + random() % 26);
    return piece;
  };
  std::map<fs::path, std::string> expected;
  TBatchCommitThread commits;
  for (int round = 0; round < 3; ++round) {
    TAtomicFileBatch batch;
    for (int file = 0; file < 100; ++file) {
      const fs::path path = dir_ / (std::to_string(random() % 7) + ".htm");
      TAtomicFile held(path, EAtomicFileStart::kAtCommit);
      std::string bytes;
      // Now and then a file that outgrows what a file may hold.
      const size_t pieces = file % 37 == 0 ? 40 : random() % 12;
      for (size_t i = 0; i < pieces; ++i) {
        const std::string piece = piece_of(random() % (file % 37 == 0 ? 60000 : 9000));
        held.Append(piece);
        bytes += piece;
      }
      batch.Add(std::move(held));
      expected[path] = std::move(bytes);
    }
    commits.Start(batch);
  }
  commits.Wait();
  for (const auto& [path, bytes] : expected) ASSERT_EQ(Read(path), bytes) << path;
  EXPECT_EQ(Names().size(), expected.size());
}

}  // namespace
}  // namespace farrowdale
