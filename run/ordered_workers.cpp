// The ordered worker pool: one mutex and one condition for claims, completions and releases;
// the work itself runs outside the lock.
#include "run/ordered_workers.h"

#include <algorithm>

namespace farrowdale {

int DefaultJobCount() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

size_t InFlightLimit(int jobs) { return 2 * static_cast<size_t>(std::max(jobs, 1)); }

TOrderedWorkers::TOrderedWorkers(size_t count, int jobs, std::function<void(size_t)> work)
    : count_(count),
      window_(InFlightLimit(jobs)),
      work_(std::move(work)),
      done_(window_, false),
      errors_(window_) {
  // The consumer works too while it waits (WaitFor): one thread fewer than jobs.
  const size_t threads = std::min(count, static_cast<size_t>(std::max(jobs, 1))) - 1;
  threads_.reserve(threads);
  try {
    for (size_t t = 0; t < threads; ++t) threads_.emplace_back([this] { WorkerLoop(); });
  } catch (...) {
    // A thread that could not start: stop those that did before the members go.
    StopAndJoin();
    throw;
  }
}

TOrderedWorkers::~TOrderedWorkers() { StopAndJoin(); }

void TOrderedWorkers::StopAndJoin() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
}

bool TOrderedWorkers::CanClaim() const {
  return !stopping_ && !failed_ && next_to_claim_ < count_ && next_to_claim_ < released_ + window_;
}

void TOrderedWorkers::RunNext(std::unique_lock<std::mutex>& lock) {
  const size_t index = next_to_claim_++;
  lock.unlock();
  std::exception_ptr error;
  try {
    work_(index);
  } catch (...) {
    error = std::current_exception();
  }
  lock.lock();
  if (error) {
    errors_[index % window_] = error;
    // Files after this one are never consumed: claim no more.
    failed_ = true;
  }
  done_[index % window_] = true;
  changed_.notify_all();
}

void TOrderedWorkers::WorkerLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] {
      return stopping_ || failed_ || next_to_claim_ >= count_ ||
             next_to_claim_ < released_ + window_;
    });
    if (!CanClaim()) return;
    RunNext(lock);
  }
}

void TOrderedWorkers::WaitFor(size_t index) {
  std::unique_lock lock(mutex_);
  while (!done_[index % window_]) {
    // Rather than sleep while another thread finishes the file, work on the next one.
    if (CanClaim()) {
      RunNext(lock);
    } else {
      changed_.wait(lock);
    }
  }
  if (std::exception_ptr error = std::exchange(errors_[index % window_], nullptr)) {
    std::rethrow_exception(error);
  }
}

void TOrderedWorkers::Release(size_t index) {
  {
    std::lock_guard lock(mutex_);
    done_[index % window_] = false;
    released_ = index + 1;
  }
  changed_.notify_all();
}

}  // namespace farrowdale
