#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace vimbrel::testing {

// A process that stands in for a running application: a copy of sleep runs
// as the bundle's executable until the object goes away.
class RunningStandIn {
 public:
  RunningStandIn(const std::string& bundle, const std::string& executableName) {
    std::filesystem::create_directories(bundle + "/Contents/MacOS");
    const std::string executable = bundle + "/Contents/MacOS/" + executableName;
    std::filesystem::copy_file("/bin/sleep", executable,
                               std::filesystem::copy_options::overwrite_existing);
    std::fflush(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      execl(executable.c_str(), executableName.c_str(), "30", static_cast<char*>(nullptr));
      _exit(127);
    }
    const std::string exe = "/proc/" + std::to_string(pid_) + "/exe";
    std::error_code error;
    for (int i = 0; i < 500 && std::filesystem::read_symlink(exe, error).string() != executable;
         ++i) {
      usleep(10000);
    }
  }
  ~RunningStandIn() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  RunningStandIn(const RunningStandIn&) = delete;
  RunningStandIn& operator=(const RunningStandIn&) = delete;

 private:
  pid_t pid_ = -1;
};

}  // namespace vimbrel::testing
