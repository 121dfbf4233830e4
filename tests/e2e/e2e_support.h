// What every end-to-end test of farrowdale-cli count needs: a scratch root per test holding
// the corpus, the program's (templates) folder and the tag set, byte helpers, and runs of the
// built command line, each bounded in time so that no test can hang CI.
#ifndef FARROWDALE_TESTS_E2E_E2E_SUPPORT_H_
#define FARROWDALE_TESTS_E2E_E2E_SUPPORT_H_

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace farrowdale::e2e {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path);
void WriteBytes(const fs::path& path, std::string_view bytes);
// A UTF-16 LE file with byte-order mark holding UTF-16 text (or ASCII).
std::string Utf16Le(std::u16string_view text);
std::string Utf16Le(std::string_view ascii);
// A UTF-16 LE report as readable text, for failure messages.
std::string Readable(const std::string& bytes);

// Everything under folder, by relative path: a regular file's bytes, a link's target, or the
// kind of anything else. Two equal snapshots mean nothing in the folder changed.
using FolderSnapshot = std::map<std::string, std::string>;
FolderSnapshot Snapshot(const fs::path& folder);
// The names whose entries differ between two snapshots, "" when none: short failure messages.
std::string ChangedNames(const FolderSnapshot& before, const FolderSnapshot& after);

struct CliResult {
  int exit_code = -1;  // -1: killed (it ran past its time limit) or did not start
  bool timed_out = false;
  std::string out;
  std::string err;
};

struct RunLimits {
  std::chrono::milliseconds time = std::chrono::seconds(60);
  // A file-size limit in bytes (writes beyond it fail with "File too large"): a disk that
  // fills up half-way through a write, without root.
  std::optional<rlim_t> file_size;
  // Set in the child's environment, e.g. "LC_ALL=C".
  std::vector<std::string> environment;
};

// Starts every command at once and waits for all; each is killed when it outlives the limit.
// stdout and stderr go through files in scratch_folder, which are removed afterwards.
std::vector<CliResult> RunConcurrently(const std::vector<std::vector<std::string>>& commands,
                                       const fs::path& scratch_folder, const RunLimits& limits);

// A scratch root per test: corpus/, program/ (the minimal templates of templates/) and
// tagset.ini. After every test no scratch file "tmp.N" may exist anywhere in it.
class CountFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // farrowdale-cli count with the test's templates and windows-1252, then args.
  CliResult Count(std::vector<std::string> args, const RunLimits& limits = {});
  // The same with the code page left to the locale (or given in args).
  std::vector<std::string> CountCommand(std::vector<std::string> args) const;
  CliResult Run(const std::vector<std::string>& args, const RunLimits& limits = {});

  // Warnings, one line each on stderr, never change stdout or the exit code.
  void ExpectSuccess(const CliResult& result, std::string_view warnings = "");
  void ExpectReport(const fs::path& report, std::string_view expected);
  void ExpectGoldenReport(const fs::path& report, const char* golden);

  fs::path root_, corpus_, programs_, tag_set_;
};

}  // namespace farrowdale::e2e

#endif  // FARROWDALE_TESTS_E2E_E2E_SUPPORT_H_
