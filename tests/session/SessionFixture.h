#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusConnectionInterface>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "TempTree.h"
#include "platform/ProgramProcesses.h"
#include "platform/XdgLoginItem.h"

namespace vimbrel::testing {

inline constexpr const char* kAgentIdentifier = "com.Orvik.Seltan.Vimbrel-Spider";

// Waits up to ten seconds for `condition`; only a failure's message depends on time.
inline bool eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return condition();
}

// A session bus of the test's own, stopped when the object goes away.
class PrivateBus {
 public:
  PrivateBus() {
    FILE* out = ::popen(
        "dbus-daemon --session --fork --nopidfile --print-address=1 "
        "--print-pid=1 2>/dev/null",
        "r");
    if (!out) return;
    char line[512];
    if (std::fgets(line, sizeof line, out)) address_ = trimmed(line);
    if (std::fgets(line, sizeof line, out)) pid_ = std::atoi(line);
    ::pclose(out);
  }
  ~PrivateBus() {
    if (pid_ > 0) ::kill(pid_, SIGTERM);
  }
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  bool running() const { return pid_ > 0 && !address_.empty(); }
  const std::string& address() const { return address_; }

  // Whether `name` has an owner on this bus now.
  bool owned(const std::string& name) const {
    const QString connectionName = QStringLiteral("test-probe");
    bool result = false;
    {
      QDBusConnection bus =
          QDBusConnection::connectToBus(QString::fromStdString(address_), connectionName);
      result = bus.isConnected() &&
               bus.interface()->isServiceRegistered(QString::fromStdString(name)).value();
    }
    QDBusConnection::disconnectFromBus(connectionName);
    return result;
  }

 private:
  static std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
  }
  std::string address_;
  int pid_ = -1;
};

// A copy of the stand-in agent installed beside a pretend application, and an
// autostart folder under a pretend configuration folder. Without a bus the
// process environment names none, so nothing reaches the user's own session.
class SessionFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = tree_.path("bin/vimbrel-spider");
    tree_.folder("bin");
    std::filesystem::copy_file(VIMBREL_AGENT_STANDIN, program_);
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ::unsetenv("XDG_RUNTIME_DIR");
    ::unsetenv("VIMBREL_STANDIN_IGNORE_QUIT");
  }
  void TearDown() override {
    for (pid_t pid : programs::processesRunning(program_)) ::kill(pid, SIGKILL);
  }

  // Makes the private bus the session bus of this process and its children.
  void useBus(const PrivateBus& bus) {
    ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(), 1);
  }

  AgentProgram agent() const { return {kAgentIdentifier, "Vimbrel Spider", program_}; }
  std::string autostart() const { return tree_.path("config/autostart"); }
  std::string entry() const { return autostart() + "/" + kAgentIdentifier + ".desktop"; }

  std::size_t agentsRunning() const { return programs::processesRunning(program_).size(); }
  bool agentRuns() const { return agentsRunning() > 0; }
  bool agentStopped() const { return agentsRunning() == 0; }

  TempTree tree_;
  std::string program_;
};

}  // namespace vimbrel::testing
