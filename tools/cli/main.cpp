// vimbrel-cli: the remainder engine from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "CliOptions.h"
#include "Commands.h"
#include "platform/FileSystem.h"
#include "platform/MemorySettingsStore.h"

int main(int argc, char** argv) {
  using namespace vimbrel;
  std::string error;
  auto options = cli::parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::cerr << "vimbrel-cli: " << error << "\n\n" << cli::kUsage;
    return cli::kBadInput;
  }
  // The application's own settings, read only: grants given on the command
  // line stay in memory for this run.
  auto stored = openPlistSettingsStore(settingsFolder(), domains::kApplication);
  MemorySettingsStore store(*stored);
  PosixFileSystem fileSystem;
  return cli::runCommand(*options, fileSystem, store);
}
