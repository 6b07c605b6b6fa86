#include <signal.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QToolButton>

#include "WindowsFixture.h"
#include "app/ui/PreferencesWindowController.h"
#include "platform/ProgramProcesses.h"
#include "platform/XdgLoginItem.h"

namespace vimbrel {
namespace {

using testing::eventually;

class PreferencesWindowTest : public testing::WindowsFixture {
 protected:
  void SetUp() override {
    WindowsFixture::SetUp();
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ::unsetenv("XDG_RUNTIME_DIR");
    program_ = tree_.path("bin/vimbrel-spider");
    tree_.folder("bin");
    std::filesystem::copy_file(VIMBREL_AGENT_STANDIN, program_);
  }
  void TearDown() override {
    WindowsFixture::TearDown();
    for (pid_t pid : programs::processesRunning(program_)) ::kill(pid, SIGKILL);
  }
  PreferencesWindowController* window() const {
    return dynamic_cast<PreferencesWindowController*>(delegate_->preferences());
  }
  QAbstractButton* switchOf(const char* name) const {
    return window()->findChild<QAbstractButton*>(name);
  }
  bool agentRuns() const { return !programs::processesRunning(program_).empty(); }

  std::string program_;
};

TEST_F(PreferencesWindowTest, BuiltOnceAtStartUpAndShownAgain) {
  launch();
  PreferencesWindowController* built = window();
  ASSERT_TRUE(built);
  EXPECT_EQ(built->windowTitle(), "Preferences");
  EXPECT_FALSE(built->isVisible());
  delegate_->showPreferences();
  EXPECT_TRUE(built->isVisible());
  EXPECT_EQ(built->currentPage()->objectName(), "PreferencesMain");
  built->close();
  delegate_->showPreferences();
  EXPECT_EQ(window(), built);
  QTest::mouseClick(built->findChild<QToolButton*>("PreferencesSpider"), Qt::LeftButton);
  EXPECT_EQ(built->currentPage()->objectName(), "PreferencesSpider");
  EXPECT_EQ(built->currentPage()->windowTitle(), "Spider");
}

// A screen reader switches pages through the toolbar items' own action.
TEST_F(PreferencesWindowTest, TheToolbarItemsSwitchPagesOnTheirAccessibilityAction) {
  launch();
  PreferencesWindowController* built = window();
  ASSERT_TRUE(built);
  delegate_->showPreferences();
  for (const char* page : {"PreferencesFolders", "PreferencesSpider", "PreferencesMain"}) {
    QAccessibleInterface* item =
        QAccessible::queryAccessibleInterface(built->findChild<QToolButton*>(page));
    ASSERT_TRUE(item && item->actionInterface()) << page;
    const QStringList actions = item->actionInterface()->actionNames();
    ASSERT_FALSE(actions.isEmpty()) << page;
    item->actionInterface()->doAction(actions.front());
    QTest::qWait(150);  // a press animates its click
    EXPECT_EQ(built->currentPage()->objectName(), page);
  }
}

// The menu item of the main window, with the usual shortcut.
TEST_F(PreferencesWindowTest, TheMenuItemAndCtrlCommaShowTheWindow) {
  launch();
  auto* item = delegate_->window()->findChild<QAction*>("showPreferences");
  ASSERT_TRUE(item);
  EXPECT_EQ(item->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
  EXPECT_FALSE(window()->isVisible());
  item->trigger();
  EXPECT_TRUE(window()->isVisible());
}

TEST_F(PreferencesWindowTest, GeneralSwitchesStoreTheirKeys) {
  store_->setInteger(keys::kIncludeUtilities, 1);
  launch();
  EXPECT_FALSE(switchOf("defaultAppsButton")->isChecked());
  EXPECT_TRUE(switchOf("utilitiesButton")->isChecked());
  delegate_->showPreferences();
  QTest::mouseClick(switchOf("defaultAppsButton"), Qt::LeftButton);
  QTest::mouseClick(switchOf("utilitiesButton"), Qt::LeftButton);
  EXPECT_EQ(delegate_->app_settings().integer(keys::kIncludeDefaultApps), 1);
  EXPECT_EQ(delegate_->app_settings().integer(keys::kIncludeUtilities), 0);
}

// The Spider page with the real login item on a temporary configuration
// folder and a stand-in agent.
TEST_F(PreferencesWindowTest, TheSpiderSwitchRunsTheAgentAndGuardsTheNotificationSwitches) {
  XdgLoginItem loginItem({"com.Orvik.Seltan.Vimbrel-Spider", "Vimbrel Spider", program_},
                         tree_.path("config/autostart"));
  AppServices services;
  services.loginItem = &loginItem;
  launch(services);
  delegate_->showPreferences();
  window()->selectPage("PreferencesSpider");
  const std::string entry = tree_.path("config/autostart/com.Orvik.Seltan.Vimbrel-Spider.desktop");
  // First run: the agent is off, both notification switches can't be used.
  EXPECT_FALSE(switchOf("enableSpiderButton")->isChecked());
  EXPECT_FALSE(switchOf("enableNotificationsButton")->isEnabled());
  EXPECT_FALSE(switchOf("removeNotifiactionsButton")->isEnabled());

  QTest::mouseClick(switchOf("enableSpiderButton"), Qt::LeftButton);
  EXPECT_TRUE(exists(entry));
  EXPECT_TRUE(eventually([&] { return agentRuns(); }));
  EXPECT_EQ(delegate_->app_settings().integer(keys::kEnableSpider), 1);
  EXPECT_TRUE(switchOf("enableNotificationsButton")->isEnabled());
  EXPECT_TRUE(switchOf("removeNotifiactionsButton")->isEnabled());

  QTest::mouseClick(switchOf("enableNotificationsButton"), Qt::LeftButton);
  EXPECT_EQ(shared_->integer(keys::kDisableNotification), 1);
  EXPECT_FALSE(switchOf("removeNotifiactionsButton")->isEnabled());
  EXPECT_EQ(shared_->integer(keys::kDisabelRemoveNotification), 0);

  QTest::mouseClick(switchOf("enableSpiderButton"), Qt::LeftButton);
  EXPECT_FALSE(exists(entry));
  EXPECT_TRUE(eventually([&] { return !agentRuns(); }));
  EXPECT_FALSE(switchOf("enableNotificationsButton")->isEnabled());
  EXPECT_FALSE(switchOf("enableNotificationsButton")->isChecked());
  EXPECT_EQ(shared_->integer(keys::kDisableNotification), 1);
}

}  // namespace
}  // namespace vimbrel
