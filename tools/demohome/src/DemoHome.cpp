#include "demohome/DemoHome.h"

#include <filesystem>

#include "DemoApplications.h"
#include "ExtensionsTree.h"
#include "Leftovers.h"
#include "ScaleFill.h"
#include "TreeWriter.h"

namespace vimbrel::demo {

namespace {

constexpr int kMaxScale = 1000;

// The login name becomes one folder of Users/: it must be a plain, visible
// name that does not collide with the shared folder.
bool isUsableLoginName(const std::string& name) {
  return !name.empty() && name.front() != '.' && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos && name != "Shared";
}

std::string withoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

Status prepareRoot(const std::string& root) {
  switch (inspectDemoRoot(root)) {
    case DemoRootState::Missing: {
      std::error_code error;
      std::filesystem::create_directories(root, error);
      if (error) return Status::fromErrno(error.value(), "cannot create " + root);
      return Status::ok();
    }
    case DemoRootState::Empty:
      return Status::ok();
    case DemoRootState::EarlierDemo:
      return clearDemoTree(root);
    case DemoRootState::Foreign:
      return Status::error(root + " is not empty and holds no earlier demo tree (no " +
                           kDemoMarkerName + "); refusing to write into it");
    case DemoRootState::NotAFolder:
      return Status::error(root + " is not a folder");
  }
  return Status::error("unknown state of " + root);
}

}  // namespace

Status generateDemoHome(const std::string& root, const DemoHomeOptions& options) {
  if (!isUsableLoginName(options.loginName)) {
    return Status::error("unusable login name \"" + options.loginName + "\"");
  }
  if (options.scale < 0 || options.scale > kMaxScale) {
    return Status::error("scale must lie between 0 and " + std::to_string(kMaxScale));
  }
  const std::string folder = withoutTrailingSlash(root);
  if (Status prepared = prepareRoot(folder); !prepared) return prepared;

  TreeWriter writer(folder);
  // The marker comes first: a generation cut short can still be replaced.
  writer.file(kDemoMarkerName, "Vimbrel demo home\nlogin " + options.loginName + "\n");
  const std::string home = "Users/" + options.loginName;
  writeApplications(writer);
  writeLeftovers(writer, home);
  writeExtensions(writer, home);
  const std::size_t extra =
      static_cast<std::size_t>(options.scale) * kEntriesPerScale + options.extraEntries;
  if (extra > 0) writeScaleEntries(writer, home, extra);
  return writer.status();
}

std::string demoHomeFolder(const std::string& root, const std::string& loginName) {
  return withoutTrailingSlash(root) + "/Users/" + loginName;
}

std::string demoApplicationsFolder(const std::string& root) {
  return withoutTrailingSlash(root) + "/Applications";
}

}  // namespace vimbrel::demo
