#include "tests/e2e/e2e_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>

extern char** environ;

namespace farrowdale::e2e {
namespace {

const fs::path kSourceDir = FARROWDALE_E2E_SOURCE_DIR;
constexpr char kTimeMessage[] = R"(^[0-9]+([.,][0-9]+)? second\(s\) used\.\n$)";

struct Child {
  pid_t pid = -1;
  fs::path out, err;
  CliResult result;
};

// fork + exec rather than posix_spawn: the file-size limit and the ignored SIGXFSZ (so that a
// write beyond the limit fails instead of killing the writer) must be set in the child.
Child Start(const std::vector<std::string>& args, const fs::path& out, const fs::path& err,
            const RunLimits& limits) {
  Child child{-1, out, err, {}};
  std::vector<std::string> copies = args;
  std::vector<char*> argv;
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment_copies = limits.environment;
  std::vector<char*> envp;
  for (std::string& setting : environment_copies) envp.push_back(setting.data());
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view setting(*e);
    bool overridden = false;
    for (const std::string& own : limits.environment) {
      overridden |= setting.substr(0, setting.find('=') + 1) == own.substr(0, own.find('=') + 1);
    }
    if (!overridden) envp.push_back(*e);
  }
  envp.push_back(nullptr);
  child.pid = ::fork();
  if (child.pid == 0) {
    const int in_fd = ::open("/dev/null", O_RDONLY);
    const int out_fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err_fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in_fd < 0 || out_fd < 0 || err_fd < 0) ::_exit(126);
    ::dup2(in_fd, 0);
    ::dup2(out_fd, 1);
    ::dup2(err_fd, 2);
    if (limits.file_size) {
      std::signal(SIGXFSZ, SIG_IGN);
      rlimit limit{*limits.file_size, *limits.file_size};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  return child;
}

}  // namespace

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Utf16Le(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

std::string Utf16Le(std::string_view ascii) {
  return Utf16Le(std::u16string(ascii.begin(), ascii.end()));
}

std::string Readable(const std::string& bytes) {
  std::string text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const unsigned code =
        static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (code < 0x80) {
      text += static_cast<char>(code);
    } else {
      char escaped[12];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", code);
      text += escaped;
    }
  }
  return text;
}

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
                                       const fs::path& scratch_folder, const RunLimits& limits) {
  std::vector<Child> children;
  for (size_t i = 0; i < commands.size(); ++i) {
    const std::string n = std::to_string(i);
    children.push_back(Start(commands[i], scratch_folder / ("stdout." + n + ".log"),
                             scratch_folder / ("stderr." + n + ".log"), limits));
  }
  const auto deadline = std::chrono::steady_clock::now() + limits.time;
  for (Child& child : children) {
    if (child.pid < 0) continue;
    int status = 0;
    for (;;) {
      const pid_t done = ::waitpid(child.pid, &status, WNOHANG);
      if (done == child.pid) break;
      if (std::chrono::steady_clock::now() > deadline) {
        ::kill(child.pid, SIGKILL);
        ::waitpid(child.pid, &status, 0);
        child.result.timed_out = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!child.result.timed_out && WIFEXITED(status)) child.result.exit_code = WEXITSTATUS(status);
  }
  std::vector<CliResult> results;
  for (Child& child : children) {
    child.result.out = ReadBytes(child.out);
    child.result.err = ReadBytes(child.err);
    fs::remove(child.out);
    fs::remove(child.err);
    EXPECT_FALSE(child.result.timed_out) << "a run outlived its time limit";
    results.push_back(std::move(child.result));
  }
  return results;
}

void CountFixture::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  root_ = fs::path(::testing::TempDir()) /
          ("e2e_" + std::to_string(getpid()) + "_" + info->test_suite_name() + "_" + info->name());
  fs::remove_all(root_);
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
  if (!HasFailure()) fs::remove_all(root_);
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
  return RunConcurrently({args}, root_, limits).front();
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
    EXPECT_EQ(Readable(actual), Readable(std::string(expected)));
  }
}

void CountFixture::ExpectGoldenReport(const fs::path& report, const char* golden) {
  ExpectReport(report, ReadBytes(kSourceDir / "golden" / golden));
}

}  // namespace farrowdale::e2e
