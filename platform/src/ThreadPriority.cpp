#include "platform/ThreadPriority.h"

#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace vimbrel {

namespace {

// From linux/ioprio.h, which Debian 12's kernel headers do not ship for
// user space; ioprio_set has no glibc wrapper either.
constexpr int kIoprioWhoProcess = 1;  // a thread id names one thread
constexpr int kIoprioClassBestEffort = 2;
constexpr int kIoprioClassShift = 13;
constexpr int kLowestBestEffortLevel = 7;
constexpr int kLowestNice = 19;

}  // namespace

Status enterBackgroundPriority() {
  Status first;
  auto note = [&](bool done, const char* what) {
    if (!done && first.isOk()) first = Status::fromErrno(errno, what);
  };
  const auto thread = static_cast<id_t>(gettid());
  // Per thread on Linux: PRIO_PROCESS with a thread id sets that thread only.
  note(setpriority(PRIO_PROCESS, thread, kLowestNice) == 0, "cannot lower the nice value");
  const sched_param batch{};
  note(sched_setscheduler(0, SCHED_BATCH, &batch) == 0, "cannot choose batch scheduling");
  const long ioPriority =
      (static_cast<long>(kIoprioClassBestEffort) << kIoprioClassShift) | kLowestBestEffortLevel;
  note(syscall(SYS_ioprio_set, kIoprioWhoProcess, static_cast<int>(thread), ioPriority) == 0,
       "cannot lower the I/O priority");
  return first;
}

}  // namespace vimbrel
