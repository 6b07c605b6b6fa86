#include "spider/SApplication.h"

#include "engine/Application.h"

namespace vimbrel::spider {

SApplication::SApplication(const FileSystem& fileSystem, const SettingsStore& app_settings)
    : fileSystem_(fileSystem), app_settings_(app_settings) {}

SApplicationItem SApplication::application(const std::string& bundlePath) const {
  return SApplicationItem(Application(fileSystem_, app_settings_).application(bundlePath));
}

}  // namespace vimbrel::spider
