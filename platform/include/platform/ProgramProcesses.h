#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/Status.h"

// Starting and stopping one program by its executable file, never by a name
// that another program could also carry.
namespace vimbrel::programs {

// The current user's processes whose executable is `program` (an absolute
// path). A process whose program file was replaced or deleted since it
// started shows "<program> (deleted)" in /proc and is counted too. Processes
// that have already exited (zombies) are not.
std::vector<pid_t> processesRunning(const std::string& program);

// True while process `pid` runs the executable `program` (as above).
bool isRunning(pid_t pid, const std::string& program);

// Starts `program` with `arguments` as a process of its own session that is
// not this process's child (it is never left as a zombie of this process),
// with standard input from /dev/null and no descriptor of this process but
// standard output and error. Fails when the program cannot be executed.
Status startDetached(const std::string& program, const std::vector<std::string>& arguments = {});

// Sends SIGTERM to every process of `program`; returns how many were signalled.
std::size_t terminateAll(const std::string& program);

}  // namespace vimbrel::programs
