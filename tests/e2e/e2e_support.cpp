#include "tests/e2e/e2e_support.h"

#include <regex>

namespace farrowdale::e2e {
namespace {

const fs::path kSourceDir = FARROWDALE_E2E_SOURCE_DIR;
constexpr char kTimeMessage[] = R"(^[0-9]+([.,][0-9]+)? second\(s\) used\.\n$)";

}  // namespace

FolderSnapshot Snapshot(const fs::path& folder) {
  FolderSnapshot snapshot;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(entry.path(), folder).string();
    const fs::file_status status = entry.symlink_status();
    if (fs::is_symlink(status)) {
      snapshot[name] = "link to " + fs::read_symlink(entry.path()).string();
    } else if (fs::is_regular_file(status)) {
      snapshot[name] = ReadBytes(entry.path());
    } else {
      snapshot[name] = "kind " + std::to_string(static_cast<int>(status.type()));
    }
  }
  return snapshot;
}

std::string ChangedNames(const FolderSnapshot& before, const FolderSnapshot& after) {
  std::string changed;
  const auto note = [&changed](const std::string& name, const char* what) {
    changed += (changed.empty() ? "" : ", ") + name + " " + what;
  };
  for (const auto& [name, content] : before) {
    const auto found = after.find(name);
    if (found == after.end()) {
      note(name, "gone");
    } else if (found->second != content) {
      note(name, "changed");
    }
  }
  for (const auto& [name, content] : after) {
    if (!before.contains(name)) note(name, "added");
  }
  return changed;
}

std::vector<CliResult> RunConcurrently(const std::vector<std::vector<std::string>>& commands,
                                       const RunLimits& limits) {
  std::vector<CliResult> results = testing_support::RunProcesses(commands, limits);
  for (const CliResult& result : results) {
    EXPECT_FALSE(result.timed_out) << "a run outlived its time limit";
  }
  return results;
}

void CountFixture::SetUp() {
  root_ = scratch_.path();
  fs::create_directories(corpus_ = root_ / "corpus");
  fs::create_directories(programs_ = root_ / "program");
  for (const char* name : {"result.tpl", "resultEx.tpl"}) {
    fs::copy_file(kSourceDir / "templates" / name, programs_ / name);
  }
  tag_set_ = root_ / "tagset.ini";
}

void CountFixture::TearDown() {
  for (const auto& entry : fs::recursive_directory_iterator(root_)) {
    EXPECT_NE(entry.path().filename().string().rfind("tmp.", 0), 0u)
        << "scratch file left: " << entry.path();
  }
}

std::vector<std::string> CountFixture::CountCommand(std::vector<std::string> args) const {
  std::vector<std::string> full = {FARROWDALE_CLI_PATH, "count", "--templates", programs_.string()};
  full.insert(full.end(), args.begin(), args.end());
  return full;
}

CliResult CountFixture::Count(std::vector<std::string> args, const RunLimits& limits) {
  args.insert(args.begin(), {"--code-page", "windows-1252"});
  return Run(CountCommand(std::move(args)), limits);
}

CliResult CountFixture::Run(const std::vector<std::string>& args, const RunLimits& limits) {
  return RunConcurrently({args}, limits).front();
}

void CountFixture::ExpectSuccess(const CliResult& result, std::string_view warnings) {
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_TRUE(std::regex_match(result.out, std::regex(kTimeMessage))) << result.out;
  EXPECT_EQ(result.err, warnings);
}

void CountFixture::ExpectReport(const fs::path& report, std::string_view expected) {
  const std::string actual = ReadBytes(report);
  if (actual != expected) {
    ADD_FAILURE() << "report " << report << " differs";
    EXPECT_EQ(ReadableUtf16Le(actual), ReadableUtf16Le(expected));
  }
}

void CountFixture::ExpectGoldenReport(const fs::path& report, const char* golden) {
  ExpectReport(report, ReadBytes(kSourceDir / "golden" / golden));
}

}  // namespace farrowdale::e2e
