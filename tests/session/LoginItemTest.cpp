#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "SessionFixture.h"

namespace vimbrel {
namespace {

using testing::eventually;
using testing::PrivateBus;

std::string contentsOf(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class LoginItemTest : public testing::SessionFixture {};

TEST_F(LoginItemTest, ExecQuotesAndEscapesEveryPath) {
  EXPECT_EQ(XdgLoginItem::execValue("/opt/vimbrel/vimbrel-spider"),
            "\"/opt/vimbrel/vimbrel-spider\"");
  // Quoting escapes " ` $ and \, then the string escapes double every
  // backslash; a percent sign is doubled so it is no field code.
  EXPECT_EQ(XdgLoginItem::execValue("/a b/\"q\"/`c`/$HOME/back\\slash/100%"),
            "\"/a b/\\\\\"q\\\\\"/\\\\`c\\\\`/\\\\$HOME/back\\\\\\\\slash/100%%\"");

  AgentProgram broken = agent();
  broken.program = "/tmp/line\nbreak";
  EXPECT_FALSE(XdgLoginItem::desktopEntry(broken));
  broken.program = "relative/vimbrel-spider";
  EXPECT_FALSE(XdgLoginItem::desktopEntry(broken));
  XdgLoginItem item(broken, autostart());
  EXPECT_FALSE(item.setEnabled(true));
  EXPECT_FALSE(std::filesystem::exists(entry()));
}

// Without a session bus the agent is started now and stopped by a signal to
// the process that runs its program.
TEST_F(LoginItemTest, SwitchingOnWritesTheEntryAndStartsTheAgentSwitchingOffUndoesBoth) {
  XdgLoginItem item(agent(), autostart());
  EXPECT_FALSE(item.isEnabled());
  ASSERT_TRUE(item.setEnabled(true));
  EXPECT_TRUE(item.isEnabled());
  EXPECT_EQ(item.entryPath(), entry());
  const std::string text = contentsOf(entry());
  EXPECT_NE(text.find("[Desktop Entry]\nType=Application\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nExec=\"" + program_ + "\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nName=Vimbrel Spider\n"), std::string::npos) << text;
  ASSERT_TRUE(eventually([&] { return agentRuns(); }));

  ASSERT_TRUE(item.setEnabled(false));
  EXPECT_FALSE(std::filesystem::exists(entry()));
  EXPECT_FALSE(item.isEnabled());
  EXPECT_TRUE(eventually([&] { return agentStopped(); }));
  // Switching off again is harmless.
  EXPECT_TRUE(item.setEnabled(false));
}

TEST_F(LoginItemTest, AnEntryThatHidesOrDisablesItselfIsNotEnabled) {
  XdgLoginItem item(agent(), autostart());
  testing::TempTree& tree = tree_;
  for (const char* line : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
    tree.file("config/autostart/" + std::string(testing::kAgentIdentifier) + ".desktop",
              std::string("[Desktop Entry]\nType=Application\nExec=x\n") + line + "\n");
    EXPECT_FALSE(item.isEnabled()) << line;
  }
  tree.file("config/autostart/" + std::string(testing::kAgentIdentifier) + ".desktop",
            "[Desktop Entry]\nExec=x\n[Other Group]\nHidden=true\n");
  EXPECT_TRUE(item.isEnabled());
}

// The agent of the agent issue may not be built yet: the entry still names it,
// and the failure to start it is reported.
TEST_F(LoginItemTest, AMissingAgentIsNamedInTheEntryAndReported) {
  std::filesystem::remove(program_);
  XdgLoginItem item(agent(), autostart());
  const Status status = item.setEnabled(true);
  EXPECT_FALSE(status);
  EXPECT_NE(status.message().find(program_), std::string::npos) << status.message();
  EXPECT_NE(contentsOf(entry()).find("Exec=\"" + program_ + "\""), std::string::npos);
  EXPECT_TRUE(item.setEnabled(false));
}

// A rebuilt agent shows "<program> (deleted)" in /proc; a program of the
// same name elsewhere is never stopped.
TEST_F(LoginItemTest, StopsARebuiltAgentButNeverAProgramThatOnlySharesItsName) {
  const std::string namesake = tree_.path("elsewhere/vimbrel-spider");
  tree_.folder("elsewhere");
  std::filesystem::copy_file(VIMBREL_AGENT_STANDIN, namesake);
  ASSERT_TRUE(programs::startDetached(namesake));
  ASSERT_TRUE(eventually([&] { return !programs::processesRunning(namesake).empty(); }));

  XdgLoginItem item(agent(), autostart());
  ASSERT_TRUE(item.setEnabled(true));
  ASSERT_TRUE(eventually([&] { return agentRuns(); }));
  // Rebuild: the running program's file is replaced.
  std::filesystem::remove(program_);
  std::filesystem::copy_file(VIMBREL_AGENT_STANDIN, program_);
  ASSERT_TRUE(agentRuns());

  ASSERT_TRUE(item.setEnabled(false));
  EXPECT_TRUE(eventually([&] { return agentStopped(); }));
  EXPECT_EQ(programs::processesRunning(namesake).size(), 1u);
  for (pid_t pid : programs::processesRunning(namesake)) ::kill(pid, SIGKILL);
}

TEST_F(LoginItemTest, OnTheSessionBusTheAgentIsAskedToQuitThroughItsName) {
  PrivateBus bus;
  if (!bus.running()) GTEST_SKIP() << "dbus-daemon is not available";
  useBus(bus);
  XdgLoginItem item(agent(), autostart());
  ASSERT_TRUE(item.setEnabled(true));
  ASSERT_TRUE(eventually([&] { return bus.owned(testing::kAgentIdentifier); }));
  // Switching on again starts a second instance, which leaves at once.
  ASSERT_TRUE(item.setEnabled(true));
  EXPECT_TRUE(eventually([&] { return agentsRunning() == 1; }));

  ASSERT_TRUE(item.setEnabled(false));
  EXPECT_FALSE(bus.owned(testing::kAgentIdentifier));
  EXPECT_TRUE(eventually([&] { return agentStopped(); }));
}

// An owner of the name that refuses to quit is stopped only because it runs
// the agent program.
TEST_F(LoginItemTest, AnAgentThatDoesNotQuitIsStoppedBySignal) {
  PrivateBus bus;
  if (!bus.running()) GTEST_SKIP() << "dbus-daemon is not available";
  useBus(bus);
  ::setenv("VIMBREL_STANDIN_IGNORE_QUIT", "1", 1);
  XdgLoginItem item(agent(), autostart());
  ASSERT_TRUE(item.setEnabled(true));
  ASSERT_TRUE(eventually([&] { return bus.owned(testing::kAgentIdentifier); }));
  EXPECT_TRUE(item.setEnabled(false));
  EXPECT_TRUE(eventually([&] { return agentStopped(); }));
}

TEST_F(LoginItemTest, FindsTheSessionBusAndTheFoldersBesideThePrograms) {
  EXPECT_FALSE(sessionBusAddress());
  ::setenv("XDG_RUNTIME_DIR", tree_.folder("runtime").c_str(), 1);
  EXPECT_FALSE(sessionBusAddress());  // no socket there
  ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nowhere", 1);
  EXPECT_EQ(sessionBusAddress(), "unix:path=/nowhere");

  ::setenv("XDG_CONFIG_HOME", tree_.path("config").c_str(), 1);
  EXPECT_EQ(autostartFolder(), tree_.path("config/autostart"));
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(programBeside("/opt/vimbrel/vimbrel", "vimbrel-spider"), "/opt/vimbrel/vimbrel-spider");
}

}  // namespace
}  // namespace vimbrel
