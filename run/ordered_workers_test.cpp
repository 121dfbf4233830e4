#include "run/ordered_workers.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"

namespace farrowdale {
namespace {

// Lets one file's work wait until another's has finished, so that files finish out of list
// order. The wait ends early once something failed (the other file may then never be
// claimed), and after ten seconds at most, so that a pool that runs files one by one fails
// instead of hanging.
class TFinishedFiles {
 public:
  void Finish(size_t index) {
    {
      std::lock_guard lock(mutex_);
      finished_.push_back(index);
    }
    changed_.notify_all();
  }
  void GiveUp() {
    {
      std::lock_guard lock(mutex_);
      given_up_ = true;
    }
    changed_.notify_all();
  }
  void AwaitFinished(size_t index) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(10), [&] {
      return given_up_ || std::find(finished_.begin(), finished_.end(), index) != finished_.end();
    });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<size_t> finished_;
  bool given_up_ = false;

 public:
  std::vector<size_t> Order() {
    std::lock_guard lock(mutex_);
    return finished_;
  }
};

// A fault in the pool shows as a hang (a result nobody produces): each test aborts the
// process after a minute instead of waiting for ever.
class OrderedWorkersTest : public ::testing::Test {
 protected:
  OrderedWorkersTest()
      : watchdog_([this] {
          std::unique_lock lock(mutex_);
          if (!done_.wait_for(lock, std::chrono::seconds(60), [this] { return finished_; })) {
            std::fputs("ordered workers test hangs\n", stderr);
            std::abort();
          }
        }) {}
  ~OrderedWorkersTest() override {
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    done_.notify_all();
    watchdog_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread watchdog_;
};

struct TOutcome {
  std::vector<size_t> consumed;
  std::vector<std::string> results;
  std::string error;  // empty: no exception
  std::vector<size_t> finish_order;
};

// Runs 20 files; file `late` finishes only after file late + 1, file `failing` (and, when
// also_failing is set, that one too) throws "file N failed", file `consumer_fails` makes the
// consumer throw.
TOutcome RunTwentyFiles(int jobs, size_t late, size_t failing, size_t also_failing,
                        size_t consumer_fails) {
  TFinishedFiles finished;
  TOutcome outcome;
  const std::function<std::string(size_t)> produce = [&](size_t index) {
    if (index == late) finished.AwaitFinished(index + 1);
    finished.Finish(index);
    if (index == failing || index == also_failing) {
      finished.GiveUp();
      throw std::runtime_error("file " + std::to_string(index) + " failed");
    }
    return "result " + std::to_string(index);
  };
  const std::function<void(size_t, std::string &&)> consume = [&](size_t index,
                                                                  std::string&& result) {
    if (index == consumer_fails) {
      finished.GiveUp();
      throw std::runtime_error("report " + std::to_string(index));
    }
    outcome.consumed.push_back(index);
    outcome.results.push_back(std::move(result));
  };
  try {
    ProcessInOrder(20, jobs, produce, consume);
  } catch (const std::runtime_error& error) {
    outcome.error = error.what();
  }
  outcome.finish_order = finished.Order();
  return outcome;
}

constexpr size_t kNone = 1000;

TEST_F(OrderedWorkersTest, ConsumesInListOrderWhateverOrderFilesFinish) {
  for (int jobs : {1, 2, 3, 8}) {
    const TOutcome outcome = RunTwentyFiles(jobs, jobs == 1 ? kNone : 4, kNone, kNone, kNone);
    ASSERT_EQ(outcome.consumed.size(), 20u) << jobs;
    for (size_t index = 0; index < 20; ++index) {
      EXPECT_EQ(outcome.consumed[index], index);
      EXPECT_EQ(outcome.results[index], "result " + std::to_string(index));
    }
    EXPECT_EQ(outcome.error, "");
    if (jobs > 1) {
      const std::vector<size_t>& order = outcome.finish_order;
      EXPECT_LT(std::find(order.begin(), order.end(), 5), std::find(order.begin(), order.end(), 4))
          << "file 4 waited for file 5, which " << jobs << " threads should run meanwhile";
    }
  }
}

// Whatever the threads did, the outcome is the single-threaded one: files before the first
// failing file consumed, nothing after it, and that file's error, also when a later file fails
// first in time or the consumer itself fails.
TEST_F(OrderedWorkersTest, FirstFailureInListOrderEndsTheRunAsOneThreadWould) {
  struct TCase {
    size_t failing, also_failing, consumer_fails;
  };
  for (const TCase& c : {TCase{5, 6, kNone}, TCase{0, 19, kNone}, TCase{19, kNone, kNone},
                         TCase{kNone, kNone, 7}, TCase{9, kNone, 3}}) {
    const TOutcome single = RunTwentyFiles(1, kNone, c.failing, c.also_failing, c.consumer_fails);
    ASSERT_NE(single.error, "");
    for (int jobs : {2, 3, 8}) {
      // File 5 waits for file 6, so file 6's failure comes first in time.
      const TOutcome parallel =
          RunTwentyFiles(jobs, 5, c.failing, c.also_failing, c.consumer_fails);
      EXPECT_EQ(parallel.consumed, single.consumed) << jobs << " jobs, failing " << c.failing;
      EXPECT_EQ(parallel.error, single.error) << jobs << " jobs, failing " << c.failing;
    }
  }
}

TEST_F(OrderedWorkersTest, ProducesNoFurtherAheadThanTheLimit) {
  for (int jobs : {2, 4}) {
    std::atomic<size_t> consumed{0};
    std::atomic<size_t> widest_gap{0};
    const std::function<int(size_t)> produce = [&](size_t index) {
      const size_t gap = index + 1 - consumed.load();
      size_t widest = widest_gap.load();
      while (gap > widest && !widest_gap.compare_exchange_weak(widest, gap)) {
      }
      return static_cast<int>(index);
    };
    const std::function<void(size_t, int&&)> consume = [&](size_t, int&&) {
      std::this_thread::yield();
      ++consumed;
    };
    ProcessInOrder(500, jobs, produce, consume);
    EXPECT_EQ(consumed.load(), 500u);
    // The file in the consumer's hands is not yet counted as consumed.
    EXPECT_LE(widest_gap.load(), InFlightLimit(jobs) + 1) << jobs;
  }
}

TEST_F(OrderedWorkersTest, OneJobRunsOnTheCallingThread) {
  const std::thread::id caller = std::this_thread::get_id();
  std::vector<bool> on_caller;
  ProcessInOrder<int>(
      3, 1, [&](size_t) { return on_caller.push_back(std::this_thread::get_id() == caller), 0; },
      [](size_t, int&&) {});
  EXPECT_EQ(on_caller, std::vector<bool>(3, true));
  EXPECT_GE(DefaultJobCount(), 1);
}

}  // namespace
}  // namespace farrowdale
