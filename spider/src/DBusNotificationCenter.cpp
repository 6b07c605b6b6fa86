#include "spider/DBusNotificationCenter.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMetaObject>
#include <QVariantMap>
#include <cstdio>

namespace vimbrel::spider {

DBusNotificationCenter::DBusNotificationCenter(QDBusConnection connection, QObject* parent)
    : QObject(parent), connection_(std::move(connection)) {
  connection_.connect(kService, kPath, kInterface, "ActionInvoked", this,
                      SLOT(onActionInvoked(uint, QString)));
  connection_.connect(kService, kPath, kInterface, "NotificationClosed", this,
                      SLOT(onNotificationClosed(uint, uint)));
}

void DBusNotificationCenter::deliverNotification(const UserNotification& notification) {
  // Cleanings deliver from worker threads; the service is spoken to from
  // the main thread only.
  QMetaObject::invokeMethod(
      this, [this, notification] { send(notification); }, Qt::QueuedConnection);
}

std::string DBusNotificationCenter::escapedForMarkup(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

void DBusNotificationCenter::send(const UserNotification& notification) {
  if (capabilities_ == Capabilities::Known) {
    sendNow(notification);
    return;
  }
  waiting_.push_back(notification);
  if (capabilities_ == Capabilities::Asking) return;
  capabilities_ = Capabilities::Asking;
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kInterface, "GetCapabilities");
  auto* watcher = new QDBusPendingCallWatcher(connection_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this](QDBusPendingCallWatcher* finished) {
            finished->deleteLater();
            QDBusPendingReply<QStringList> reply = *finished;
            // Without an answer the text goes plain; the Notify call will
            // report a missing service.
            bodyMarkup_ = !reply.isError() && reply.value().contains("body-markup");
            capabilities_ = Capabilities::Known;
            std::vector<UserNotification> waiting = std::move(waiting_);
            waiting_.clear();
            for (const UserNotification& next : waiting) sendNow(next);
          });
}

void DBusNotificationCenter::sendNow(const UserNotification& notification) {
  QStringList actions;
  if (notification.actionButtonTitle) {
    actions << kActionKey << QString::fromStdString(*notification.actionButtonTitle);
  }
  QVariantMap hints;
  if (notification.defaultSound) hints.insert("sound-name", QString(kDefaultSound));
  hints.insert("desktop-entry", QString("vimbrel-spider"));
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
  call << QString("Vimbrel Spider") << uint(0) << QString()
       << QString::fromStdString(notification.title)
       << QString::fromStdString(bodyMarkup_ ? escapedForMarkup(notification.informativeText)
                                             : notification.informativeText)
       << actions << hints << int(0);  // never expires by itself: the agent withdraws it
  auto* watcher = new QDBusPendingCallWatcher(connection_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, notification](QDBusPendingCallWatcher* finished) {
            finished->deleteLater();
            QDBusPendingReply<uint> reply = *finished;
            if (reply.isError()) {
              if (!reportedMissingService_) {
                reportedMissingService_ = true;
                std::fprintf(stderr,
                             "vimbrel-spider: no notification service (%s); cleaning goes on "
                             "without notifications\n",
                             qPrintable(reply.error().name()));
              }
              return;
            }
            const NotificationId id = reply.value();
            delivered_[id] = notification;
            if (delegate_) delegate_->didDeliverNotification(id, notification);
          });
}

void DBusNotificationCenter::removeDeliveredNotification(NotificationId id) {
  if (delivered_.erase(id) == 0) return;
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kInterface, "CloseNotification");
  call << uint(id);
  connection_.asyncCall(call);
}

void DBusNotificationCenter::onActionInvoked(uint id, const QString& actionKey) {
  const auto found = delivered_.find(id);
  if (found == delivered_.end() || actionKey != kActionKey) return;
  if (delegate_) delegate_->didActivateNotification(id, found->second);
}

void DBusNotificationCenter::onNotificationClosed(uint id, uint) {
  // Dismissed by the user or withdrawn: nothing of it is left to answer.
  delivered_.erase(id);
}

}  // namespace vimbrel::spider
