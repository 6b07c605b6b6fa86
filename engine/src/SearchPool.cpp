#include "engine/SearchPool.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace vimbrel {

namespace {
constexpr int kMostJobs = 8;
}  // namespace

int SearchPool::defaultJobs() {
  const unsigned cores = std::thread::hardware_concurrency();
  return std::clamp(static_cast<int>(cores), 1, kMostJobs);
}

SearchPool::SearchPool(int jobs) : jobs_(std::max(jobs, 1)) {}

void SearchPool::run(const std::vector<std::function<void()>>& tasks) const {
  const std::size_t threads = std::min(static_cast<std::size_t>(jobs_), tasks.size());
  if (threads <= 1) {
    for (const auto& task : tasks) task();
    return;
  }
  std::atomic<std::size_t> next{0};
  std::exception_ptr failure;
  std::mutex failureMutex;
  auto work = [&] {
    for (std::size_t i = next.fetch_add(1); i < tasks.size(); i = next.fetch_add(1)) {
      try {
        tasks[i]();
      } catch (...) {
        const std::lock_guard<std::mutex> lock(failureMutex);
        if (!failure) failure = std::current_exception();
      }
    }
  };
  std::vector<std::thread> helpers;
  helpers.reserve(threads - 1);
  try {
    for (std::size_t i = 1; i < threads; ++i) helpers.emplace_back(work);
  } catch (const std::system_error&) {
    // No more threads to be had: the ones started, and this one, do the work.
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace vimbrel
