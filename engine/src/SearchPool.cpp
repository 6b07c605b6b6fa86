#include "engine/SearchPool.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <utility>

namespace vimbrel {

namespace {

constexpr int kMostJobs = 8;

// Takes tasks until none is waiting and none is running (a running one may
// still add more).
void work(std::mutex& mutex, std::condition_variable& changed,
          std::deque<std::function<void()>>& waiting, std::size_t& running,
          std::exception_ptr& failure) {
  std::unique_lock<std::mutex> lock(mutex);
  while (true) {
    changed.wait(lock, [&] { return !waiting.empty() || running == 0; });
    if (waiting.empty()) return;
    std::function<void()> task = std::move(waiting.front());
    waiting.pop_front();
    ++running;
    lock.unlock();
    std::exception_ptr thrown;
    try {
      task();
    } catch (...) {
      thrown = std::current_exception();
    }
    task = nullptr;
    lock.lock();
    if (thrown && !failure) failure = thrown;
    if (--running == 0 && waiting.empty()) changed.notify_all();
  }
}

}  // namespace

void SearchPool::Batch::add(std::function<void()> task) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    waiting_.push_back(std::move(task));
  }
  changed_.notify_one();
}

int SearchPool::defaultJobs() {
  const unsigned cores = std::thread::hardware_concurrency();
  return std::clamp(static_cast<int>(cores), 1, kMostJobs);
}

SearchPool::SearchPool(int jobs) : jobs_(std::max(jobs, 1)) {}

void SearchPool::run(Batch& batch) const {
  auto take = [&] {
    work(batch.mutex_, batch.changed_, batch.waiting_, batch.running_, batch.failure_);
  };
  std::vector<std::thread> helpers;
  try {
    for (int i = 1; i < jobs_; ++i) helpers.emplace_back(take);
  } catch (const std::system_error&) {
    // No more threads to be had: the ones started, and this one, do the work.
  }
  take();
  for (std::thread& helper : helpers) helper.join();
  if (batch.failure_) std::rethrow_exception(std::exchange(batch.failure_, nullptr));
}

void SearchPool::run(const std::vector<std::function<void()>>& tasks) const {
  if (jobs_ == 1 || tasks.size() <= 1) {
    for (const auto& task : tasks) task();
    return;
  }
  Batch batch;
  for (const auto& task : tasks) batch.add(task);
  SearchPool(std::min(jobs_, static_cast<int>(tasks.size()))).run(batch);
}

}  // namespace vimbrel
