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

#include "RunningStandIn.h"

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

}  // namespace vimbrel::testing
