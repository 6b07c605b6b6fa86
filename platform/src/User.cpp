#include "platform/User.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace vimbrel {

namespace {

// The password-database entry of the current user, or nothing.
template <typename Field>
std::string passwordField(Field field) {
  long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return {};
  const char* value = field(*found);
  return value ? value : "";
}

}  // namespace

std::string userLoginName() {
  std::string name = passwordField([](const passwd& p) { return p.pw_name; });
  if (!name.empty()) return name;
  const char* env = std::getenv("USER");
  return env ? env : "";
}

std::string userHomeFolder() {
  const char* env = std::getenv("HOME");
  if (env && *env) return env;
  return passwordField([](const passwd& p) { return p.pw_dir; });
}

}  // namespace vimbrel
