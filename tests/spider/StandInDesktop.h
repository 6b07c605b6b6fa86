#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <vector>

namespace vimbrel::spider::testing {

// One Notify call as the stand-in received it.
struct NotifyCall {
  uint id;
  QString appName, summary, body;
  QStringList actions;
  QVariantMap hints;
  int expireTimeout;
};

// A notification service on the test's private bus that records every call
// and can emit what a user's click would.
class StandInNotificationServer final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  explicit StandInNotificationServer(QDBusConnection connection);
  ~StandInNotificationServer() override;

  // The user chose the notification's action.
  void invokeAction(uint id, const QString& key) { Q_EMIT ActionInvoked(id, key); }

  std::vector<NotifyCall> notified;
  std::vector<uint> closed;
  // What GetCapabilities answers.
  QStringList capabilities{"actions", "body", "sound"};

 public Q_SLOTS:
  uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
              const QString& summary, const QString& body, const QStringList& actions,
              const QVariantMap& hints, int expireTimeout);
  void CloseNotification(uint id);
  QStringList GetCapabilities();

 Q_SIGNALS:
  void ActionInvoked(uint id, const QString& actionKey);
  void NotificationClosed(uint id, uint reason);

 private:
  QDBusConnection connection_;
  uint nextId_ = 1;
};

// A file viewer on the test's private bus that records what it was asked to show.
class StandInFileManager final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

 public:
  explicit StandInFileManager(QDBusConnection connection);
  ~StandInFileManager() override;
  std::vector<QStringList> shown;

 public Q_SLOTS:
  void ShowItems(const QStringList& uris, const QString& startupId);

 private:
  QDBusConnection connection_;
};

}  // namespace vimbrel::spider::testing
