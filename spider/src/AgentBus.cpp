#include "spider/AgentBus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace vimbrel::spider {

AgentBus::AgentBus(QDBusConnection connection, QObject* parent)
    : QObject(parent), connection_(std::move(connection)) {}

AgentBus::~AgentBus() {
  if (!owned_) return;
  connection_.unregisterObject(kObjectPath);
  connection_.unregisterService(kServiceName);
}

AgentBus::Claim AgentBus::claim() {
  if (!connection_.isConnected() || connection_.interface() == nullptr) return Claim::NoBus;
  const auto reply = connection_.interface()->registerService(
      kServiceName, QDBusConnectionInterface::DontQueueService,
      QDBusConnectionInterface::DontAllowReplacement);
  if (!reply.isValid()) return Claim::NoBus;
  if (reply.value() != QDBusConnectionInterface::ServiceRegistered) return Claim::TakenByAnother;
  owned_ = true;
  connection_.registerObject(kObjectPath, this, QDBusConnection::ExportScriptableSlots);
  return Claim::Owned;
}

namespace {

bool callAgent(QDBusConnection connection, const char* method) {
  if (!connection.isConnected()) return false;
  const QDBusMessage call = QDBusMessage::createMethodCall(
      AgentBus::kServiceName, AgentBus::kObjectPath, AgentBus::kInterface, method);
  return connection.call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
}

}  // namespace

bool AgentBus::askRunningAgentToQuit(QDBusConnection connection) {
  return callAgent(std::move(connection), "Quit");
}

bool AgentBus::askRunningAgentToShowWholeVolumeWindow(QDBusConnection connection) {
  return callAgent(std::move(connection), "ShowWholeVolumeWindow");
}

void AgentBus::Quit() { Q_EMIT quitRequested(); }

void AgentBus::ShowWholeVolumeWindow() { Q_EMIT wholeVolumeWindowRequested(); }

}  // namespace vimbrel::spider
