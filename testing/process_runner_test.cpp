// The bounds the tests rely on to never hang CI: a child past its time is killed with what
// it started, one past its memory fails to allocate, and output larger than a pipe holds
// is read whole while several children run at once.
#include "testing/process_runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace farrowdale::testing_support {
namespace {

ProcessResult Shell(const std::string& script, const ProcessLimits& limits = {}) {
  return RunProcess({"/bin/sh", "-c", script}, limits);
}

TEST(ProcessRunner, ExitCodesOutputsEnvironmentAndInput) {
  ProcessLimits limits;
  limits.environment = {"FARROWDALE_PROBE=set", "HOME=/elsewhere"};
  limits.standard_input = "/bin/sh";
  const ProcessResult result = Shell("echo \"$FARROWDALE_PROBE $HOME\"; wc -c >&2; exit 3", limits);
  EXPECT_EQ(result.exit_code, 3);
  EXPECT_EQ(result.signal, 0);
  EXPECT_FALSE(result.timed_out);
  EXPECT_EQ(result.out, "set /elsewhere\n");
  EXPECT_NE(result.err, "0\n");  // the file's bytes reached standard input
  EXPECT_EQ(RunProcess({"/nonexistent/program"}).exit_code, 127);
}

TEST(ProcessRunner, AChildPastItsTimeIsKilledWithWhatItStarted) {
  ProcessLimits limits;
  limits.time = std::chrono::milliseconds(300);
  const auto start = std::chrono::steady_clock::now();
  // The grandchild holds the pipes open: without the group kill, reading would never end.
  const ProcessResult result = Shell("echo started; sleep 30 & sleep 30; echo never", limits);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_TRUE(result.timed_out);
  EXPECT_EQ(result.exit_code, -1);
  EXPECT_EQ(result.out, "started\n");
}

TEST(ProcessRunner, AChildPastItsMemoryFailsToAllocate) {
  ProcessLimits limits;
  limits.memory = rlim_t{64} << 20;
  const ProcessResult result =
      RunProcess({"/usr/bin/env", "python3", "-c", "bytearray(512 << 20)"}, limits);
  EXPECT_EQ(result.exit_code != 0, MemoryBoundApplies()) << result.err;
}

TEST(ProcessRunner, LargeOutputsOfConcurrentChildrenAreReadWhole) {
  // Each writes far more than a pipe buffer to both streams before it exits.
  const std::string script = "head -c 1000000 /dev/zero; head -c 300000 /dev/zero >&2";
  const std::vector<ProcessResult> results =
      RunProcesses({{"/bin/sh", "-c", script}, {"/bin/sh", "-c", script + "; exit 1"}});
  ASSERT_EQ(results.size(), 2u);
  for (const ProcessResult& result : results) {
    EXPECT_EQ(result.out.size(), 1000000u);
    EXPECT_EQ(result.err.size(), 300000u);
  }
  EXPECT_EQ(results[0].exit_code, 0);
  EXPECT_EQ(results[1].exit_code, 1);
}

}  // namespace
}  // namespace farrowdale::testing_support
