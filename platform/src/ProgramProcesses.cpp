#include "platform/ProgramProcesses.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/close_range.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <string_view>

namespace vimbrel::programs {

namespace {

constexpr std::string_view kDeletedSuffix = " (deleted)";

bool isNumber(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The executable link of a process, as the kernel shows it.
std::string executableLink(const std::string& pidText) {
  std::string target(4096, '\0');
  const std::string link = "/proc/" + pidText + "/exe";
  const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
  if (length <= 0) return {};
  target.resize(static_cast<std::size_t>(length));
  return target;
}

// A zombie keeps its /proc entry until it is reaped, but runs nothing.
bool isZombie(const std::string& pidText) {
  std::ifstream stat("/proc/" + pidText + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return true;
  // The state follows the command name, which is in parentheses and may
  // itself hold ") ".
  const auto close = line.rfind(')');
  return close == std::string::npos || close + 2 >= line.size() || line[close + 2] == 'Z';
}

bool runsProgram(const std::string& pidText, const std::string& program) {
  std::string executable = executableLink(pidText);
  if (executable.ends_with(kDeletedSuffix)) {
    executable.resize(executable.size() - kDeletedSuffix.size());
  }
  return !executable.empty() && executable == program && !isZombie(pidText);
}

bool ownedByMe(const std::string& pidText) {
  struct stat info {};
  return ::stat(("/proc/" + pidText).c_str(), &info) == 0 && info.st_uid == ::getuid();
}

// Reads the child's report: nothing (the program started) or an errno value.
int readStartError(int fd) {
  int error = 0;
  ssize_t n = 0;
  do {
    n = ::read(fd, &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  return n == static_cast<ssize_t>(sizeof error) ? error : 0;
}

// The kernel shows the executable with its links resolved; a program that
// is gone is compared as given.
std::string canonical(const std::string& program) {
  char resolved[PATH_MAX];
  return ::realpath(program.c_str(), resolved) ? std::string(resolved) : program;
}

}  // namespace

std::vector<pid_t> processesRunning(const std::string& given) {
  const std::string program = canonical(given);
  std::vector<pid_t> found;
  DIR* proc = ::opendir("/proc");
  if (!proc) return found;
  while (const dirent* entry = ::readdir(proc)) {
    const std::string pidText = entry->d_name;
    if (!isNumber(pidText) || !ownedByMe(pidText)) continue;
    if (runsProgram(pidText, program)) found.push_back(static_cast<pid_t>(std::stol(pidText)));
  }
  ::closedir(proc);
  return found;
}

bool isRunning(pid_t pid, const std::string& program) {
  const std::string pidText = std::to_string(pid);
  return ownedByMe(pidText) && runsProgram(pidText, canonical(program));
}

Status startDetached(const std::string& program, const std::vector<std::string>& arguments) {
  if (::access(program.c_str(), X_OK) != 0) return Status::fromErrno(errno, "start " + program);
  // Everything the children need is prepared here: between fork and exec
  // only async-signal-safe calls are allowed.
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return Status::fromErrno(errno, "pipe");
  const pid_t child = ::fork();
  if (child < 0) {
    const int error = errno;
    ::close(report[0]);
    ::close(report[1]);
    return Status::fromErrno(error, "fork");
  }
  if (child == 0) {
    // The intermediate child starts a new session and leaves at once, so
    // the program is adopted by init and never becomes our zombie.
    ::close(report[0]);
    ::setsid();
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const pid_t grandchild = ::fork();
    if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
    const int null = ::open("/dev/null", O_RDONLY);
    if (null >= 0 && null != STDIN_FILENO) {
      ::dup2(null, STDIN_FILENO);
      ::close(null);
    }
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    ::execv(program.c_str(), argv.data());
    const int error = errno;
    [[maybe_unused]] ssize_t written = ::write(report[1], &error, sizeof error);
    ::_exit(127);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  // The write end closes when exec succeeds (close-on-exec) or the
  // grandchild gives up, so this read never blocks for long.
  const int error = readStartError(report[0]);
  ::close(report[0]);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return Status::error("start " + program);
  if (error != 0) return Status::fromErrno(error, "start " + program);
  return Status::ok();
}

std::size_t terminateAll(const std::string& program) {
  std::size_t signalled = 0;
  for (pid_t pid : processesRunning(program)) {
    if (::kill(pid, SIGTERM) == 0) ++signalled;
  }
  return signalled;
}

}  // namespace vimbrel::programs
