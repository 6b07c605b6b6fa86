#pragma once

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

namespace vimbrel::testing {

// What a check run in a child process found.
struct ChildOutcome {
  bool skipped = false;
  std::string failure;  // empty when the check passed (or was skipped)
  std::string skipReason;
};

// Runs `body` in a forked child (which leaves with _exit, so nothing of the
// test's own is torn down twice). `body` returns an empty string when its
// checks pass, otherwise what went wrong; `prepare` runs first and returns a
// reason to skip, or an empty string.
inline ChildOutcome runInChild(const std::function<std::string()>& body,
                               const std::function<std::string()>& prepare = {}) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {false, "pipe failed", ""};
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    close(pipeFds[0]);
    std::string skip = prepare ? prepare() : std::string();
    std::string message = skip.empty() ? body() : skip;
    if (write(pipeFds[1], message.data(), message.size()) < 0) _exit(3);
    _exit(!skip.empty() ? 77 : message.empty() ? 0 : 1);
  }
  close(pipeFds[1]);
  std::string message;
  char chunk[4096];
  for (ssize_t got; (got = read(pipeFds[0], chunk, sizeof chunk)) > 0;) message.append(chunk, got);
  close(pipeFds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return {true, "", message};
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
  if (message.empty()) message = "the child ended with status " + std::to_string(status);
  return {false, message, ""};
}

// Runs `body` in a child with a private mount namespace of its own, so the
// mounts it makes vanish with it and nobody else sees them.
inline ChildOutcome runInPrivateMountNamespace(const std::function<std::string()>& body) {
  return runInChild(body, [] {
    if (unshare(CLONE_NEWNS) != 0) return std::string("no private mount namespace here");
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      return std::string("cannot make the mounts private");
    }
    return std::string();
  });
}

}  // namespace vimbrel::testing

// Ends the test with the child's verdict.
#define VIMBREL_EXPECT_CHILD(outcome)                                      \
  do {                                                                     \
    const auto& vimbrelOutcome = (outcome);                                \
    if (vimbrelOutcome.skipped) GTEST_SKIP() << vimbrelOutcome.skipReason; \
    EXPECT_EQ(vimbrelOutcome.failure, "");                                 \
  } while (false)
