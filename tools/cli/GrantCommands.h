#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vimbrel::cli {

// `grant home|applications|root DIR [--agent]` and `grants [--agent]`: store a
// folder grant exactly as the access windows do (in the application's store,
// or with --agent in the agent's), and show what is granted and whether each
// grant is valid. They let a user without a desktop, and a test, set the
// programs up.

// True when `args` (after the program name) start with one of these verbs.
bool isGrantCommand(const std::vector<std::string>& args);
// Runs it; returns the exit status (0 done, 2 bad input).
int runGrantCommand(const std::vector<std::string>& args);

}  // namespace vimbrel::cli
