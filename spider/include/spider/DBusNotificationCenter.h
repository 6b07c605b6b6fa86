#pragma once

#include <QDBusConnection>
#include <QObject>
#include <map>
#include <string>
#include <vector>

#include "spider/UserNotificationCenter.h"

namespace vimbrel::spider {

// User notifications through the desktop's notification service
// (org.freedesktop.Notifications). A notification goes out with its title,
// text, the default sound (the "sound-name" hint) and its action, and stays
// until withdrawn: the service's own expiry is not relied on, since some
// services ignore it. Calls are asynchronous, so the agent never waits for
// the service. Without a service the agent keeps working and says so once.
// The service's capabilities are asked once, before the first notification:
// a service that announces "body-markup" gets the text with "&", "<" and ">"
// escaped, so that labels and paths show as written; others get plain text.
class DBusNotificationCenter final : public QObject, public UserNotificationCenter {
  Q_OBJECT

 public:
  static constexpr const char* kService = "org.freedesktop.Notifications";
  static constexpr const char* kPath = "/org/freedesktop/Notifications";
  static constexpr const char* kInterface = "org.freedesktop.Notifications";
  // The sound theme's name for the default notification sound.
  static constexpr const char* kDefaultSound = "message-new-instant";
  // The action key that the service reports when the action is chosen.
  static constexpr const char* kActionKey = "default";

  // Lives on the thread that creates it (the main thread).
  explicit DBusNotificationCenter(QDBusConnection connection, QObject* parent = nullptr);

  void setDelegate(UserNotificationCenterDelegate* delegate) override { delegate_ = delegate; }
  void deliverNotification(const UserNotification& notification) override;
  void removeDeliveredNotification(NotificationId id) override;

  // `text` with "&", "<" and ">" written as entities.
  static std::string escapedForMarkup(const std::string& text);

 private Q_SLOTS:
  void onActionInvoked(uint id, const QString& actionKey);
  void onNotificationClosed(uint id, uint reason);

 private:
  void send(const UserNotification& notification);
  void sendNow(const UserNotification& notification);

  enum class Capabilities { Unknown, Asking, Known };
  Capabilities capabilities_ = Capabilities::Unknown;
  bool bodyMarkup_ = false;
  // Notifications waiting for the capabilities' answer, in order.
  std::vector<UserNotification> waiting_;

  QDBusConnection connection_;
  UserNotificationCenterDelegate* delegate_ = nullptr;
  // What was delivered and is still shown, by the service's identifier.
  std::map<NotificationId, UserNotification> delivered_;
  bool reportedMissingService_ = false;
};

}  // namespace vimbrel::spider
