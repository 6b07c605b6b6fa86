// vimbrel-cli: the remainder engine from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "CliOptions.h"
#include "Commands.h"
#include "GrantCommands.h"
#include "platform/FileSystem.h"
#include "platform/MemorySettingsStore.h"
#include "platform/XdgFolders.h"

int main(int argc, char** argv) {
  using namespace vimbrel;
  const std::vector<std::string> args(argv + 1, argv + argc);
  // The grant verbs write settings; every other command only reads them.
  if (cli::isGrantCommand(args)) {
    checkXdgFolders();
    return cli::runGrantCommand(args);
  }
  std::string error;
  auto options = cli::parseOptions(args, error);
  if (!options) {
    std::cerr << "vimbrel-cli: " << error << "\n\n" << cli::kUsage;
    return cli::kBadInput;
  }
  // Neither reads the settings.
  if (options->command == cli::Command::Help) {
    std::cout << cli::kUsage;
    return cli::kDone;
  }
  if (options->command == cli::Command::Version) {
    std::cout << "vimbrel-cli " << VIMBREL_VERSION << '\n';
    return cli::kDone;
  }
  checkXdgFolders();
  // The application's own settings, read only: grants given on the command
  // line stay in memory for this run.
  auto stored = openPlistSettingsStore(settingsFolder(), domains::kApplication);
  MemorySettingsStore store(*stored);
  PosixFileSystem fileSystem;
  return cli::runCommand(*options, fileSystem, store);
}
