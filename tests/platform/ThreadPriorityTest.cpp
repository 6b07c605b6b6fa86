#include "platform/ThreadPriority.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

namespace vimbrel {
namespace {

struct Priority {
  int nice;
  int policy;
  long io;  // class << 13 | level
};

Priority ofThisThread() {
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
  return {nice, sched_getscheduler(0), syscall(SYS_ioprio_get, 1, static_cast<int>(gettid()))};
}

// The cleaning threads, and the search threads they start, run at the lowest
// normal priority; the rest of the process keeps its own.
TEST(ThreadPriorityTest, LowersTheCallingThreadAndWhatItStartsOnly) {
  const Priority before = ofThisThread();
  Priority lowered{}, inherited{};
  bool entered = false;
  std::thread background([&] {
    entered = enterBackgroundPriority().isOk();
    lowered = ofThisThread();
    std::thread started([&] { inherited = ofThisThread(); });
    started.join();
  });
  background.join();
  EXPECT_TRUE(entered);
  for (const Priority& priority : {lowered, inherited}) {
    EXPECT_EQ(priority.nice, 19);
    EXPECT_EQ(priority.policy, SCHED_BATCH);
    EXPECT_EQ(priority.io, (2L << 13) | 7);
  }
  const Priority after = ofThisThread();
  EXPECT_EQ(after.nice, before.nice);
  EXPECT_EQ(after.policy, before.policy);
  EXPECT_EQ(after.io, before.io);
}

}  // namespace
}  // namespace vimbrel
