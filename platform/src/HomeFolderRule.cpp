#include "platform/HomeFolderRule.h"

#include <sys/stat.h>

#include "platform/Paths.h"

namespace vimbrel {

namespace {

bool isRealFolder(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

bool isHomeFolder(const std::string& folder, std::string_view loginName) {
  const std::string_view name = paths::lastComponent(folder);
  if (!loginName.empty() && name == loginName) return true;
  if (name.empty() || name == "/") return false;
  return paths::lastComponent(paths::parent(folder)) == "Users" &&
         isRealFolder(paths::append(folder, "Library"));
}

std::string homeFolderRequirement(std::string_view loginName) {
  std::string text = "the folder must be called \"";
  text += loginName;
  text += "\", or lie in \"Users\" and hold a \"Library\" folder";
  return text;
}

}  // namespace vimbrel
