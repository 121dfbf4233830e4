// Runs programs from tests with a bound on time and memory, so that no test can hang CI or
// take the machine's memory: a child that outlives its time is killed (with everything it
// started in its process group), one that asks for more memory than its bound gets an
// allocation failure.
//
// Standard output and error are captured through pipes, read while the child runs; standard
// input is /dev/null or a given file. The environment is the test's, with the settings of
// ProcessLimits::environment put in their place.
//
// Thread-compatible: one ChildProcess is used by one thread.
#ifndef FARROWDALE_TESTING_PROCESS_RUNNER_H_
#define FARROWDALE_TESTING_PROCESS_RUNNER_H_

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace farrowdale::testing_support {

// Bytes of data memory (heap, stacks, private writable mappings) a child may take unless told
// otherwise: far more than any test needs, far less than a runaway allocation takes.
inline constexpr rlim_t kDefaultMemoryLimit = rlim_t{2} << 30;

struct ProcessLimits {
  std::chrono::milliseconds time = std::chrono::seconds(60);
  // The data memory bound; none for no bound. A build with AddressSanitizer or
  // ThreadSanitizer reserves terabytes of shadow memory at start, so there it is not set.
  std::optional<rlim_t> memory = kDefaultMemoryLimit;
  // A file-size bound in bytes (a write beyond it fails with "File too large", SIGXFSZ is
  // ignored): a disk that fills up half-way through a write, without root.
  std::optional<rlim_t> file_size;
  // Settings such as "LC_ALL=C", put in place of the test's own.
  std::vector<std::string> environment;
  // Standard input; empty for /dev/null.
  std::filesystem::path standard_input;
};

struct ProcessResult {
  int exit_code = -1;  // -1: ended by a signal (see signal), or it could not be started
  int signal = 0;      // the signal that ended it, 0 when it exited
  bool timed_out = false;
  std::string out;
  std::string err;
};

// A child started at once; the destructor kills it (with its process group) if it still runs
// and reaps it.
class ChildProcess {
 public:
  // argv[0] is the program's path. REQUIRES: !argv.empty().
  ChildProcess(const std::vector<std::string>& argv, const ProcessLimits& limits);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Reads what the child wrote so far and whether it has ended (its output then read to
  // the end); never blocks for long.
  bool Ended();
  // Kills the child and its process group; Ended() is true afterwards.
  void Kill();
  // Waits until the child ends or its time bound passes (then kills it), and returns what
  // it did. Call once.
  ProcessResult Finish();

 private:
  // Moves what the pipes hold into result_; waits at most wait_ms for the first bytes.
  void ReadOutput(int wait_ms);
  void Reap(bool block);

  pid_t pid_ = -1;
  int out_fd_ = -1;
  int err_fd_ = -1;
  bool reaped_ = false;
  std::chrono::steady_clock::time_point deadline_;
  ProcessResult result_;
};

// Whether ProcessLimits::memory is applied in this build (not with a sanitizer).
bool MemoryBoundApplies();

// Runs one program to its end.
ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessLimits& limits = {});
// Starts every command at once and waits for all; each has its own time bound from its start.
std::vector<ProcessResult> RunProcesses(const std::vector<std::vector<std::string>>& commands,
                                        const ProcessLimits& limits = {});

}  // namespace farrowdale::testing_support

#endif  // FARROWDALE_TESTING_PROCESS_RUNNER_H_
