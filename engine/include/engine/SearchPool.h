#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <vector>

namespace vimbrel {

// A small pool of threads for the independent walks of one search: the
// listings of its steps (a long deep listing in pieces), and the size walks
// of the locations it lists. Each thread keeps its own directory buffers (see
// PosixFileSystem), so the walks share nothing but the file system.
class SearchPool {
 public:
  // The tasks of one run. A task may add more while the run goes on.
  class Batch {
   public:
    void add(std::function<void()> task);

   private:
    friend class SearchPool;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> waiting_;
    std::size_t running_ = 0;
    std::exception_ptr failure_;
  };

  // One thread per core, at most 8: the walks are bound by the file system and
  // the name tests, and more threads than cores only add switching.
  static int defaultJobs();

  // `jobs` below 1 counts as 1.
  explicit SearchPool(int jobs = defaultJobs());

  int jobs() const { return jobs_; }

  // Runs every task of `batch`, those added while it runs too, and returns
  // when all have run. The calling thread is one of the pool's threads; the
  // others start here and end before this returns. Tasks are taken in the
  // order they were added, so longer ones should come first. With one job,
  // they run on the calling thread in that order. An exception thrown by a
  // task is thrown again here once every task has ended.
  void run(Batch& batch) const;
  void run(const std::vector<std::function<void()>>& tasks) const;

 private:
  int jobs_;
};

}  // namespace vimbrel
