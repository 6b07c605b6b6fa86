#include <QDesktopServices>
#include <QUrl>

#include "platform/ui/UrlOpener.h"

namespace vimbrel {

bool DesktopUrlOpener::openUrl(const std::string& url) {
  return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

bool DesktopUrlOpener::openFile(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

}  // namespace vimbrel
