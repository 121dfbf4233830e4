// What every end-to-end test of farrowdale-cli count needs: a scratch root per test holding
// the corpus, the program's (templates) folder and the tag set, folder snapshots, and runs of
// the built command line, each bounded in time and memory so that no test can hang CI.
#ifndef FARROWDALE_TESTS_E2E_E2E_SUPPORT_H_
#define FARROWDALE_TESTS_E2E_E2E_SUPPORT_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "testing/file_bytes.h"
#include "testing/process_runner.h"
#include "testing/scratch_folder.h"

namespace farrowdale::e2e {

namespace fs = std::filesystem;

using testing_support::ReadableUtf16Le;
using testing_support::ReadBytes;
using testing_support::Utf16LeFile;
using testing_support::WriteBytes;

// Everything under folder, by relative path: a regular file's bytes, a link's target, or the
// kind of anything else. Two equal snapshots mean nothing in the folder changed.
using FolderSnapshot = std::map<std::string, std::string>;
FolderSnapshot Snapshot(const fs::path& folder);
// The names whose entries differ between two snapshots, "" when none: short failure messages.
std::string ChangedNames(const FolderSnapshot& before, const FolderSnapshot& after);

using CliResult = testing_support::ProcessResult;
using RunLimits = testing_support::ProcessLimits;

// Starts every command at once and waits for all; each is killed when it outlives the limit,
// which fails the test.
std::vector<CliResult> RunConcurrently(const std::vector<std::vector<std::string>>& commands,
                                       const RunLimits& limits);

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

  const testing_support::ScratchFolder scratch_{"e2e"};
  fs::path root_, corpus_, programs_, tag_set_;
};

}  // namespace farrowdale::e2e

#endif  // FARROWDALE_TESTS_E2E_E2E_SUPPORT_H_
