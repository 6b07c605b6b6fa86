#pragma once

#include <functional>
#include <vector>

namespace vimbrel {

// A small pool of threads for the independent walks of one search: the
// listings of its steps, and the size walks of the locations it lists. Each
// thread keeps its own directory buffers (see PosixFileSystem), so the walks
// share nothing but the file system.
class SearchPool {
 public:
  // One thread per core, at most 8: the walks are bound by the file system and
  // the name tests, and more threads than cores only add switching.
  static int defaultJobs();

  // `jobs` below 1 counts as 1.
  explicit SearchPool(int jobs = defaultJobs());

  int jobs() const { return jobs_; }

  // Runs every task once and returns when all have run. The calling thread is
  // one of the pool's threads; the others start here and end before this
  // returns. Tasks are taken in the order given, so longer ones should come
  // first. With one job, the tasks run on the calling thread in order. An
  // exception thrown by a task is thrown again here once every task has ended.
  void run(const std::vector<std::function<void()>>& tasks) const;

 private:
  int jobs_;
};

}  // namespace vimbrel
