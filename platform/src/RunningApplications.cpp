#include "platform/RunningApplications.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>

#include "platform/Bundle.h"

namespace vimbrel {

namespace {

constexpr std::string_view kDeletedSuffix = " (deleted)";

// The executable of a process: the /proc link, or the first argument when the
// link cannot be read.
std::optional<std::string> executableOf(const std::string& pidText) {
  std::string link = "/proc/" + pidText + "/exe";
  std::string target(4096, '\0');
  ssize_t length = readlink(link.c_str(), target.data(), target.size());
  if (length > 0) {
    target.resize(static_cast<std::size_t>(length));
    if (target.ends_with(kDeletedSuffix)) target.resize(target.size() - kDeletedSuffix.size());
    return target;
  }
  std::ifstream cmdline("/proc/" + pidText + "/cmdline", std::ios::binary);
  std::string first;
  if (!std::getline(cmdline, first, '\0') || first.empty()) return std::nullopt;
  return first;
}

}  // namespace

std::optional<std::string> bundleOfExecutable(const std::string& executablePath) {
  constexpr std::string_view kMarker = ".app/Contents/MacOS/";
  std::size_t at = executablePath.rfind(kMarker);
  if (at == std::string::npos) return std::nullopt;
  return executablePath.substr(0, at + 4);
}

std::vector<RunningApplication> runningApplications() {
  std::map<std::string, RunningApplication> byBundle;
  DIR* proc = opendir("/proc");
  if (!proc) return {};
  const uid_t me = getuid();
  while (const dirent* entry = readdir(proc)) {
    std::string pidText = entry->d_name;
    if (pidText.empty() || !std::all_of(pidText.begin(), pidText.end(), [](char c) {
          return std::isdigit(static_cast<unsigned char>(c));
        })) {
      continue;
    }
    struct stat info {};
    if (stat(("/proc/" + pidText).c_str(), &info) != 0 || info.st_uid != me) continue;
    auto executable = executableOf(pidText);
    if (!executable) continue;
    auto bundle = bundleOfExecutable(*executable);
    if (!bundle) continue;
    int pid = std::stoi(pidText);
    auto [it, inserted] = byBundle.try_emplace(*bundle);
    if (inserted || pid < it->second.pid) it->second.pid = pid;
    if (inserted) {
      it->second.bundlePath = *bundle;
      if (auto opened = Bundle::open(*bundle)) it->second.bundleIdentifier = opened->identifier();
    }
  }
  closedir(proc);
  std::vector<RunningApplication> result;
  for (auto& [path, app] : byBundle) result.push_back(std::move(app));
  return result;
}

bool isApplicationRunning(const std::string& identifier) {
  if (identifier.empty()) return false;
  for (const RunningApplication& app : runningApplications()) {
    if (app.bundleIdentifier && app.bundleIdentifier->find(identifier) != std::string::npos) {
      return true;
    }
  }
  return false;
}

}  // namespace vimbrel
