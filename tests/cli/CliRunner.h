#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vimbrel::testing {

struct CliOutcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline std::string contentsOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs `program` with `args`, the settings of vimbrel-cli in `configFolder`,
// and returns its exit code and output (kept in files of `scratchFolder`).
inline CliOutcome runProgram(const char* program, std::vector<std::string> args,
                             const std::string& configFolder, const std::string& scratchFolder) {
  const std::string out = scratchFolder + "/cli-out.txt";
  const std::string err = scratchFolder + "/cli-err.txt";
  // Nothing buffered in this process may reach the child's output.
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    setenv("XDG_CONFIG_HOME", configFolder.c_str(), 1);
    if (!freopen(out.c_str(), "w", stdout) || !freopen(err.c_str(), "w", stderr)) _exit(126);
    std::vector<char*> argv{const_cast<char*>(program)};
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(program, argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, contentsOf(out), contentsOf(err)};
}

// Runs vimbrel-cli with `args`, its settings in `configFolder`.
inline CliOutcome runCli(std::vector<std::string> args, const std::string& configFolder,
                         const std::string& scratchFolder) {
  return runProgram(VIMBREL_CLI_PATH, std::move(args), configFolder, scratchFolder);
}

// A process that stands in for a running application: a copy of sleep runs as
// the bundle's executable until the object goes away.
class RunningStandIn {
 public:
  RunningStandIn(const std::string& bundle, const std::string& executableName) {
    const std::string executable = bundle + "/Contents/MacOS/" + executableName;
    std::filesystem::copy_file("/bin/sleep", executable,
                               std::filesystem::copy_options::overwrite_existing);
    std::fflush(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      execl(executable.c_str(), executableName.c_str(), "30", static_cast<char*>(nullptr));
      _exit(127);
    }
    // Wait until the process shows the bundle's executable.
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
