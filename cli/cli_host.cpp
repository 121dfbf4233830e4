#include "cli/cli_host.h"

#include <fcntl.h>
#include <spawn.h>

#include <iostream>

#include "cli/terminal_text.h"
#include "count/marker_check.h"
#include "text/code_page.h"

extern char** environ;

namespace farrowdale::cli {
namespace {

// Starts the desktop's default handler for path in its own session, its output discarded,
// and does not wait for it.
void OpenDetached(const std::filesystem::path& path) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  for (int fd = 0; fd <= 2; ++fd) {
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  }
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  std::string program = "xdg-open";
  std::string argument = path.native();
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t pid;
  posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
}

}  // namespace

void CliHost::ShowInformation(const std::string& message) {
  ClearProgress();
  std::cout << message << '\n' << std::flush;
}

void CliHost::ShellOpen(const std::filesystem::path& path) {
  if (open_) OpenDetached(path);
}

uint32_t CliHost::TickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::chrono::system_clock::time_point CliHost::Now() { return std::chrono::system_clock::now(); }

void CliHost::Progress(int files_done, int files_ticked) {
  if (!show_progress_) return;
  const std::string line =
      std::to_string(files_done) + " of " + std::to_string(files_ticked) + " file(s) done";
  std::cerr << '\r' << line << std::flush;
  progress_width_ = line.size();
}

void CliHost::Warn(const std::filesystem::path& path, const std::string& message) {
  ClearProgress();
  std::cerr << TerminalText(PathToNarrow(path)) << ": warning: " << TerminalText(message) << '\n'
            << std::flush;
}

void CliHost::ShowStatus(const std::string& line) {
  ClearProgress();
  std::cerr << TerminalText(line) << '\n' << std::flush;
}

void CliHost::TagSetProblem(const TCheckProblem& problem) {
  ClearProgress();
  // One problem, one line, whatever its tag names hold.
  std::cerr << TerminalText(FormatCheckProblem(problem)) << '\n' << std::flush;
}

void CliHost::ClearProgress() {
  if (progress_width_ == 0) return;
  std::cerr << '\r' << std::string(progress_width_, ' ') << '\r' << std::flush;
  progress_width_ = 0;
}

void PrintError(const std::exception& error) {
  std::string message = ExceptionText(error);
  if (!message.empty() && message.back() == '\n') message.pop_back();
  std::cerr << TerminalText(message) << '\n';
}

}  // namespace farrowdale::cli
