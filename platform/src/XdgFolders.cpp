#include "platform/XdgFolders.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/Paths.h"
#include "platform/User.h"

namespace vimbrel {

namespace {

std::string baseFolder(const char* variable, const char* underHome, std::once_flag& reported) {
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') return value;
  const std::string fallback = paths::append(userHomeFolder(), underHome);
  if (value != nullptr && value[0] != '\0') {
    std::call_once(reported, [&] {
      std::fprintf(stderr, "%s: ignoring %s=%s: not an absolute path; using %s\n",
                   program_invocation_short_name, variable, value, fallback.c_str());
    });
  }
  return fallback;
}

std::once_flag configReported;
std::once_flag dataReported;

}  // namespace

std::string configHome() { return baseFolder("XDG_CONFIG_HOME", ".config", configReported); }

std::string dataHome() { return baseFolder("XDG_DATA_HOME", ".local/share", dataReported); }

void checkXdgFolders() {
  configHome();
  dataHome();
}

}  // namespace vimbrel
