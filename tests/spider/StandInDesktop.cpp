#include "StandInDesktop.h"

namespace vimbrel::spider::testing {

StandInNotificationServer::StandInNotificationServer(QDBusConnection connection)
    : connection_(std::move(connection)) {
  connection_.registerObject("/org/freedesktop/Notifications", this,
                             QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals);
  connection_.registerService("org.freedesktop.Notifications");
}

StandInNotificationServer::~StandInNotificationServer() {
  connection_.unregisterService("org.freedesktop.Notifications");
  connection_.unregisterObject("/org/freedesktop/Notifications");
}

uint StandInNotificationServer::Notify(const QString& appName, uint, const QString&,
                                       const QString& summary, const QString& body,
                                       const QStringList& actions, const QVariantMap& hints,
                                       int expireTimeout) {
  const uint id = nextId_++;
  notified.push_back({id, appName, summary, body, actions, hints, expireTimeout});
  return id;
}

void StandInNotificationServer::CloseNotification(uint id) {
  closed.push_back(id);
  Q_EMIT NotificationClosed(id, 3);
}

QStringList StandInNotificationServer::GetCapabilities() { return capabilities; }

StandInFileManager::StandInFileManager(QDBusConnection connection)
    : connection_(std::move(connection)) {
  connection_.registerObject("/org/freedesktop/FileManager1", this,
                             QDBusConnection::ExportAllSlots);
  connection_.registerService("org.freedesktop.FileManager1");
}

StandInFileManager::~StandInFileManager() {
  connection_.unregisterService("org.freedesktop.FileManager1");
  connection_.unregisterObject("/org/freedesktop/FileManager1");
}

void StandInFileManager::ShowItems(const QStringList& uris, const QString&) {
  shown.push_back(uris);
}

}  // namespace vimbrel::spider::testing
