// The ordered workers: files processed on several threads, their results taken in list
// order. Every run over files uses them (the coding run, the marker check, the coder
// comparison, the exchange export).
//
// ProcessInOrder(count, jobs, produce, consume) calls produce(i) for every i in [0, count) on
// up to `jobs` threads (jobs - 1 workers, and the calling thread while it waits for a file)
// and consume(i, result) on the calling thread for i = 0, 1, ... strictly in that order, so
// everything consume does (reports, warnings, progress) comes out exactly as in a single-threaded
// run. The first failure in list order wins: when produce(k) or consume(k) throws, consume has run
// for 0..k-1 and for nothing after, and the exception of k reaches the caller, whatever later files
// did meanwhile. Besides the result in consume's hands, at most InFlightLimit(jobs) results are
// being produced or wait for the consumer, so memory stays bounded.
//
// REQUIRES: produce is safe to call from several threads at once and has no effect the user
// sees (it computes; consume writes). With jobs <= 1 everything runs on the calling thread,
// one file after the other. ProcessInOrder returns only after every worker has stopped.
#ifndef FARROWDALE_RUN_ORDERED_WORKERS_H_
#define FARROWDALE_RUN_ORDERED_WORKERS_H_

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace farrowdale {

// The number of threads a run uses by default: the machine's cores, at least one.
int DefaultJobCount();

// Results produced ahead of the consumer at most, for a number of jobs.
size_t InFlightLimit(int jobs);

// The scheduling behind ProcessInOrder, apart from the results' type: workers claim indices
// in ascending order, no further than InFlightLimit ahead of the consumer, and stop claiming
// after a failure. work(i) stores its own result; an exception it throws is kept for i.
class TOrderedWorkers {
 public:
  TOrderedWorkers(size_t count, int jobs, std::function<void(size_t)> work);
  // Lets the workers finish the file each holds, claim nothing more, and joins them.
  ~TOrderedWorkers();
  TOrderedWorkers(const TOrderedWorkers&) = delete;
  TOrderedWorkers& operator=(const TOrderedWorkers&) = delete;

  // Returns once work(index) has returned, or rethrows what it threw. Meanwhile the calling
  // thread does the work of indices it may claim, as a worker would.
  // REQUIRES: every index below it has been released.
  void WaitFor(size_t index);
  // The result of index has been taken: its place may be reused for a later file.
  void Release(size_t index);

 private:
  void WorkerLoop();
  void StopAndJoin();
  // Whether a thread may claim the next index. REQUIRES: mutex_ held.
  bool CanClaim() const;
  // Claims the next index and runs its work outside the lock. REQUIRES: CanClaim(), lock held.
  void RunNext(std::unique_lock<std::mutex>& lock);

  const size_t count_;
  const size_t window_;
  const std::function<void(size_t)> work_;
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t next_to_claim_ = 0;
  size_t released_ = 0;  // indices below it are consumed
  bool failed_ = false;
  bool stopping_ = false;
  // Per place (index % window): whether that index's work is done, and its exception.
  std::vector<bool> done_;
  std::vector<std::exception_ptr> errors_;
  std::vector<std::thread> threads_;
};

template <typename Result>
void ProcessInOrder(size_t count, int jobs, const std::function<Result(size_t)>& produce,
                    const std::function<void(size_t, Result&&)>& consume) {
  if (jobs <= 1 || count <= 1) {
    for (size_t index = 0; index < count; ++index) consume(index, produce(index));
    return;
  }
  const size_t window = InFlightLimit(jobs);
  std::vector<std::optional<Result>> results(window);
  // Declared after the results, so its workers are joined before the results go.
  TOrderedWorkers workers(count, jobs,
                          [&](size_t index) { results[index % window].emplace(produce(index)); });
  for (size_t index = 0; index < count; ++index) {
    workers.WaitFor(index);
    Result result = std::move(*results[index % window]);
    results[index % window].reset();
    workers.Release(index);
    consume(index, std::move(result));
  }
}

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_ORDERED_WORKERS_H_
