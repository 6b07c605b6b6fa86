#include "spider/DBusFileViewer.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QStringList>
#include <QUrl>

#include "platform/Paths.h"

namespace vimbrel::spider {

DBusFileViewer::DBusFileViewer(QDBusConnection connection) : connection_(std::move(connection)) {}

void DBusFileViewer::activateFileViewerSelectingURLs(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  QStringList uris;
  for (const std::string& path : paths) {
    uris << QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded);
  }
  const char* service = "org.freedesktop.FileManager1";
  const auto* bus = connection_.isConnected() ? connection_.interface() : nullptr;
  const bool available =
      bus != nullptr && (bus->isServiceRegistered(service).value() ||
                         bus->activatableServiceNames().value().contains(service));
  if (!available) {
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QString::fromStdString(paths::parent(paths.front()))));
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(service, "/org/freedesktop/FileManager1",
                                                     service, "ShowItems");
  call << uris << QString();
  connection_.asyncCall(call);
}

}  // namespace vimbrel::spider
