#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QProcess>
#include <memory>

#include "AgentProcess.h"
#include "TempTree.h"
#include "spider/AgentBus.h"

namespace vimbrel::spider {
namespace {

bool nameOwned() {
  return QDBusConnection::sessionBus().interface()->isServiceRegistered(AgentBus::kServiceName);
}

bool waitUntil(const std::function<bool()>& condition, int milliseconds = 10000) {
  QDeadlineTimer deadline(milliseconds);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

TEST(AgentBusTest, SecondAgentExitsWhileTheFirstRunsAndTheFirstQuitsWhenAsked) {
  vimbrel::testing::TempTree tree;
  const QString config = QString::fromStdString(tree.folder("config"));
  std::unique_ptr<QProcess> first(vimbrel::testing::startAgent(config));
  ASSERT_TRUE(waitUntil(nameOwned)) << first->readAllStandardError().toStdString();

  std::unique_ptr<QProcess> second(vimbrel::testing::startAgent(config));
  ASSERT_TRUE(second->waitForFinished(10000));
  EXPECT_EQ(second->exitCode(), 1);
  EXPECT_NE(second->readAllStandardError().indexOf("already running"), -1);
  EXPECT_EQ(first->state(), QProcess::Running);

  EXPECT_TRUE(AgentBus::askRunningAgentToQuit(QDBusConnection::sessionBus()));
  ASSERT_TRUE(first->waitForFinished(10000));
  EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(first->exitCode(), 0);
  EXPECT_TRUE(waitUntil([] { return !nameOwned(); }));
}

TEST(AgentBusTest, InProcessClaimRefusesASecondOwner) {
  AgentBus first(QDBusConnection::sessionBus());
  ASSERT_EQ(first.claim(), AgentBus::Claim::Owned);
  QDBusConnection other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "other");
  {
    AgentBus second(other);
    EXPECT_EQ(second.claim(), AgentBus::Claim::TakenByAnother);
  }
  QDBusConnection::disconnectFromBus("other");
}

}  // namespace
}  // namespace vimbrel::spider
