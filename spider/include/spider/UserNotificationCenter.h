#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace vimbrel::spider {

// One user notification of the agent.
struct UserNotification {
  std::string title;
  std::string informativeText;
  // Plays the desktop's default notification sound.
  bool defaultSound = true;
  // When the notification is meant for; the agent delivers at once and keeps
  // the date only as information for the notification service.
  std::chrono::system_clock::time_point deliveryDate{};
  // The label of the one action the notification offers, when it offers one.
  std::optional<std::string> actionButtonTitle;
  // The trashed bundle whose review in Vimbrel the action opens; without it
  // the action reveals the locations that could not be removed.
  std::optional<std::string> reviewBundle;
};

// The identifier the notification service gave a delivered notification.
using NotificationId = std::uint32_t;

// Told, on the main thread, what happens to delivered notifications.
class UserNotificationCenterDelegate {
 public:
  virtual ~UserNotificationCenterDelegate() = default;
  virtual void didDeliverNotification(NotificationId id, const UserNotification& notification) = 0;
  // The user chose the notification or its action.
  virtual void didActivateNotification(NotificationId id, const UserNotification& notification) = 0;
};

// Delivers user notifications and withdraws them again.
// Thread-safety: deliverNotification may be called from any thread; the
// delivery itself and every delegate call happen on the main thread.
class UserNotificationCenter {
 public:
  virtual ~UserNotificationCenter() = default;
  virtual void setDelegate(UserNotificationCenterDelegate* delegate) = 0;
  virtual void deliverNotification(const UserNotification& notification) = 0;
  // Main thread only.
  virtual void removeDeliveredNotification(NotificationId id) = 0;
};

}  // namespace vimbrel::spider
