// Children are started with fork and execve rather than posix_spawn: the resource bounds, the
// ignored SIGXFSZ and the process group must be set in the child before it runs the program.
#include "testing/process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <utility>

extern char** environ;

namespace farrowdale::testing_support {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// The test's environment with the given settings in place of its own ones of the same name.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& settings) {
  std::vector<std::string> environment = settings;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view setting(*entry);
    const std::string_view name = setting.substr(0, setting.find('=') + 1);
    const bool replaced =
        std::any_of(settings.begin(), settings.end(), [&](const std::string& own) {
          return std::string_view(own).substr(0, own.find('=') + 1) == name;
        });
    if (!replaced) environment.emplace_back(setting);
  }
  return environment;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& text : strings) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

void SetLimit(int resource, rlim_t bytes) {
  const rlimit limit{bytes, bytes};
  ::setrlimit(resource, &limit);
}

}  // namespace

bool MemoryBoundApplies() { return !kSanitized; }

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const ProcessLimits& limits)
    : deadline_(std::chrono::steady_clock::now() + limits.time) {
  // Everything the child needs is made before fork: after it, only async-signal-safe calls.
  std::vector<std::string> arguments = argv;
  std::vector<std::string> environment = ChildEnvironment(limits.environment);
  const std::vector<char*> argument_pointers = Pointers(arguments);
  const std::vector<char*> environment_pointers = Pointers(environment);
  const std::string input =
      limits.standard_input.empty() ? std::string("/dev/null") : limits.standard_input.string();
  const std::optional<rlim_t> memory = kSanitized ? std::nullopt : limits.memory;

  int out_pipe[2];
  int err_pipe[2];
  if (::pipe2(out_pipe, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
  if (::pipe2(err_pipe, O_CLOEXEC) != 0) {
    ::close(out_pipe[0]);
    ::close(out_pipe[1]);
    throw std::runtime_error("cannot make a pipe");
  }
  pid_ = ::fork();
  if (pid_ == 0) {
    ::setpgid(0, 0);
    const int in_fd = ::open(input.c_str(), O_RDONLY);
    if (in_fd < 0) ::_exit(126);
    ::dup2(in_fd, 0);
    ::dup2(out_pipe[1], 1);
    ::dup2(err_pipe[1], 2);
    if (memory) SetLimit(RLIMIT_DATA, *memory);
    if (limits.file_size) {
      std::signal(SIGXFSZ, SIG_IGN);
      SetLimit(RLIMIT_FSIZE, *limits.file_size);
    }
    ::execve(argument_pointers[0], argument_pointers.data(), environment_pointers.data());
    ::_exit(127);
  }
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  out_fd_ = out_pipe[0];
  err_fd_ = err_pipe[0];
  if (pid_ < 0) {
    reaped_ = true;  // nothing to wait for; exit_code stays -1
    return;
  }
  // Also here, so that a kill right away reaches the group.
  ::setpgid(pid_, pid_);
  ::fcntl(out_fd_, F_SETFL, O_NONBLOCK);
  ::fcntl(err_fd_, F_SETFL, O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
  if (!reaped_) Kill();
  if (out_fd_ >= 0) ::close(out_fd_);
  if (err_fd_ >= 0) ::close(err_fd_);
}

void ChildProcess::ReadOutput(int wait_ms) {
  pollfd fds[2];
  std::string* sinks[2];
  int* owners[2];
  nfds_t count = 0;
  for (auto [fd, sink] : {std::pair{&out_fd_, &result_.out}, std::pair{&err_fd_, &result_.err}}) {
    if (*fd < 0) continue;
    fds[count] = {*fd, POLLIN, 0};
    sinks[count] = sink;
    owners[count] = fd;
    ++count;
  }
  if (count == 0 || ::poll(fds, count, wait_ms) <= 0) return;
  for (nfds_t i = 0; i < count; ++i) {
    if (fds[i].revents == 0) continue;
    char buffer[65536];
    for (;;) {
      const ssize_t got = ::read(*owners[i], buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(got));
        continue;
      }
      if (got < 0 && errno == EINTR) continue;
      if (got == 0 || errno != EAGAIN) {
        // The end of the output (or a pipe that cannot be read any more).
        ::close(*owners[i]);
        *owners[i] = -1;
      }
      break;
    }
  }
}

void ChildProcess::Reap(bool block) {
  if (reaped_) return;
  int status = 0;
  pid_t done;
  do {
    done = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
  } while (done < 0 && errno == EINTR);
  if (done != pid_) return;
  reaped_ = true;
  if (WIFEXITED(status)) result_.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result_.signal = WTERMSIG(status);
}

bool ChildProcess::Ended() {
  ReadOutput(0);
  Reap(false);
  return reaped_;
}

void ChildProcess::Kill() {
  if (reaped_) return;
  ::kill(-pid_, SIGKILL);
  ::kill(pid_, SIGKILL);
  Reap(true);
}

ProcessResult ChildProcess::Finish() {
  for (;;) {
    Reap(false);
    if (reaped_ && out_fd_ < 0 && err_fd_ < 0) break;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline_) {
      if (!reaped_) {
        result_.timed_out = true;
        Kill();
      }
      // Whatever is still buffered is read; a pipe some other process holds open is left.
      ReadOutput(0);
      break;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - now);
    // Short waits: the child's end shows in waitpid, not in the pipes.
    ReadOutput(static_cast<int>(std::min<std::chrono::milliseconds::rep>(left.count(), 10)) + 1);
  }
  return std::move(result_);
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessLimits& limits) {
  return ChildProcess(argv, limits).Finish();
}

std::vector<ProcessResult> RunProcesses(const std::vector<std::vector<std::string>>& commands,
                                        const ProcessLimits& limits) {
  std::vector<std::unique_ptr<ChildProcess>> children;
  for (const std::vector<std::string>& command : commands) {
    children.push_back(std::make_unique<ChildProcess>(command, limits));
  }
  // Every child's pipes are read while any runs, so none stalls on a full pipe.
  const auto deadline = std::chrono::steady_clock::now() + limits.time;
  for (bool running = true; running && std::chrono::steady_clock::now() < deadline;) {
    running = false;
    for (auto& child : children) running |= !child->Ended();
    if (running) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  std::vector<ProcessResult> results;
  for (auto& child : children) results.push_back(child->Finish());
  return results;
}

}  // namespace farrowdale::testing_support
