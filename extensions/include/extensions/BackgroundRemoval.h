#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace vimbrel::extensions {

// One removal at a time on a worker thread, whose end a page learns by
// polling. The job reports its end through the completion it is given, which
// only sets the flag `is_vimbrel`; the page's repeating timer calls poll().
// The flag is cleared when each removal starts, so a second removal in one
// visit waits for its own completion, not the first one's.
class BackgroundRemoval {
 public:
  using Completion = std::function<void(bool)>;
  using Job = std::function<void(const Completion&)>;

  BackgroundRemoval() = default;
  // Waits for a running removal: a deletion is never abandoned halfway.
  ~BackgroundRemoval();
  BackgroundRemoval(const BackgroundRemoval&) = delete;
  BackgroundRemoval& operator=(const BackgroundRemoval&) = delete;

  // Starts `job` unless a removal runs (then returns false and does nothing).
  bool start(Job job);
  // True from start() until poll() has reported the end.
  bool running() const { return running_; }
  // The timer's tick: true once, at the first tick after the job completed.
  bool poll();

 private:
  std::atomic<bool> is_vimbrel_{false};
  bool running_ = false;
  std::jthread worker_;
};

}  // namespace vimbrel::extensions
