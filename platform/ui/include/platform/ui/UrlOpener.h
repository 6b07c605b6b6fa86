#pragma once

#include <string>

namespace vimbrel {

// Opens links in the default browser (or the application that handles their
// scheme) and files in their default application.
class UrlOpener {
 public:
  virtual ~UrlOpener() = default;
  // False when nothing could be started for it.
  virtual bool openUrl(const std::string& url) = 0;
  virtual bool openFile(const std::string& path) = 0;
};

// Through QDesktopServices, which runs xdg-open on a desktop.
class DesktopUrlOpener final : public UrlOpener {
 public:
  bool openUrl(const std::string& url) override;
  bool openFile(const std::string& path) override;
};

}  // namespace vimbrel
