#pragma once

#include <QDBusConnection>

#include "spider/FileViewer.h"

namespace vimbrel::spider {

// The desktop's file viewer through org.freedesktop.FileManager1: ShowItems
// opens the folders of the given locations with them selected. Without such
// a viewer the folder of the first location is opened instead (nothing can
// be selected then).
class DBusFileViewer final : public FileViewer {
 public:
  explicit DBusFileViewer(QDBusConnection connection);
  void activateFileViewerSelectingURLs(const std::vector<std::string>& paths) override;

 private:
  QDBusConnection connection_;
};

}  // namespace vimbrel::spider
