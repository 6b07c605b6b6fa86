#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "platform/ui/FileViewer.h"

namespace vimbrel {

namespace {

void openContainingFolder(const std::string& path) {
  const QString folder = QFileInfo(QString::fromStdString(path)).absolutePath();
  QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

}  // namespace

void FreedesktopFileViewer::reveal(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    openContainingFolder(paths.front());
    return;
  }
  QStringList uris;
  for (const std::string& path : paths) {
    uris << QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded);
  }
  QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.FileManager1",
                                                     "/org/freedesktop/FileManager1",
                                                     "org.freedesktop.FileManager1", "ShowItems");
  call << uris << QString();
  // Asynchronous, so a slow or absent file manager never blocks the window;
  // the fallback runs when the call fails.
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
  const std::string first = paths.front();
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                   [first](QDBusPendingCallWatcher* self) {
                     if (self->isError()) openContainingFolder(first);
                     self->deleteLater();
                   });
}

}  // namespace vimbrel
