#include <signal.h>

#include <QLabel>
#include <QProgressBar>

#include "FakeBundles.h"
#include "WindowsFixture.h"
#include "app/ui/ExtensionListViewController.h"
#include "app/ui/ExtensionsViewController.h"
#include "app/ui/PluginsViewController.h"
#include "app/ui/PrefpanesViewController.h"
#include "app/ui/RemainderViewController.h"
#include "app/ui/RemoveViewController.h"
#include "app/ui/SafariExtensionsViewController.h"
#include "platform/NotificationCenter.h"
#include "platform/ProgramProcesses.h"

namespace vimbrel {
namespace {

using testing::eventually;

class ExtensionWindowsTest : public testing::WindowsFixture {
 protected:
  std::string systemPlugin(const std::string& name) const {
    return root_ + "/Library/Internet Plug-Ins/" + name;
  }
  // Clicks the page's remove button and waits for the removal's end.
  static void removeAndWait(ExtensionListViewController* list) {
    ASSERT_TRUE(list->removeButton()->isEnabled());
    QTest::mouseClick(list->removeButton(), Qt::LeftButton);
    auto* progress = child<QProgressBar>(list, "progress");
    ASSERT_TRUE(eventually([&] { return !list->logic().removing() && !progress->isVisible(); }));
  }
};

// Home → Extensions → each list → back to Extensions → Home, by the buttons.
TEST_F(ExtensionWindowsTest, TheHubLeadsToEachListAndBack) {
  launch();
  auto click = [&](const char* name) {
    auto* button = child<QPushButton>(delegate_->window()->viewController()->currentPage(), name);
    ASSERT_TRUE(button) << name;
    QTest::mouseClick(button, Qt::LeftButton);
    QApplication::processEvents();
  };
  for (const auto& [tile, list] :
       {std::pair{"plugins", "Plugins"}, std::pair{"preference_panes", "PrefPanes"},
        std::pair{"sfari_extensions", "SafariExtensions"}}) {
    click("Extensions");
    ASSERT_TRUE(page<ExtensionsViewController>());
    EXPECT_TRUE(child<QLabel>(page<ExtensionsViewController>(), "plugins_image"));
    click(tile);
    ASSERT_TRUE(page<ExtensionListViewController>()) << list;
    EXPECT_EQ(page<ExtensionListViewController>()->objectName(), list);
    click("back_to_extensions");
    ASSERT_TRUE(page<ExtensionsViewController>());
    click("back_to_home_viewcontroller");
    EXPECT_EQ(delegate_->window()->viewController()->currentPage()->objectName(), "Home");
  }
}

TEST_F(ExtensionWindowsTest, TheFilterShowsMatchingPluginsAndClearingShowsThemAll) {
  launch();
  go(notifications::kPluginsViewController);
  auto* plugins = page<PluginsViewController>();
  ASSERT_TRUE(plugins);
  auto* table = child<QListView>(plugins, "tableviewB");
  const QStringList all = labels(table);
  QTest::keyClicks(child<QLineEdit>(plugins, "search_field"), "view");
  EXPECT_EQ(labels(table), (QStringList{"Page Viewer", "Sketch Preview"}));
  child<QLineEdit>(plugins, "search_field")->clear();
  EXPECT_EQ(labels(table), all);
  // Sizes fill in as they arrive.
  EXPECT_TRUE(eventually([&] {
    return table->model()->index(0, 0).data(ExtensionRowsModel::SizeRole).toString() != "…";
  }));
}

TEST_F(ExtensionWindowsTest, RemovingAPluginTakesItsRemaindersAndItsRow) {
  const std::string pref = home_ + "/Library/Preferences/com.pageviewer.plugin.plist";
  tree_.file("demo/Users/tester/Library/Preferences/com.pageviewer.plugin.plist", "p");
  launch();
  go(notifications::kPluginsViewController);
  auto* plugins = page<PluginsViewController>();
  auto* table = child<QListView>(plugins, "tableviewB");
  const int before = table->model()->rowCount();
  EXPECT_FALSE(plugins->removeButton()->isEnabled());
  select(table, "Page Viewer");
  removeAndWait(plugins);
  EXPECT_EQ(table->model()->rowCount(), before - 1);
  EXPECT_EQ(rowOf(table, "Page Viewer"), -1);
  EXPECT_FALSE(exists(systemPlugin("Page Viewer.plugin")));
  EXPECT_FALSE(exists(pref));
  EXPECT_FALSE(plugins->removeButton()->isEnabled());
  EXPECT_FALSE(plugins->popover());

  // The reveal button of a row shows the item in the file manager.
  select(table, "Markdown");
  QTest::mouseClick(child<QPushButton>(plugins, "show_in_finder"), Qt::LeftButton);
  ASSERT_EQ(viewer_.revealed.size(), 1u);
  EXPECT_EQ(viewer_.revealed[0],
            std::vector<std::string>{root_ + "/Library/Spotlight/Markdown.mdimporter"});
}

TEST_F(ExtensionWindowsTest, APluginThatStaysShowsTheCannotRemovePopover) {
  failing_.failing.insert(systemPlugin("Tool.WebPlugin"));
  launch();
  go(notifications::kPluginsViewController);
  auto* plugins = page<PluginsViewController>();
  auto* table = child<QListView>(plugins, "tableviewB");
  select(table, "Tool");
  removeAndWait(plugins);
  ASSERT_TRUE(eventually([&] { return plugins->popover() && plugins->popover()->isVisible(); }));
  EXPECT_EQ(plugins->popover()->content()->objectName(), "BundleCantRemove");
  EXPECT_EQ(rowOf(table, "Tool"), -1);
  EXPECT_TRUE(exists(systemPlugin("Tool.WebPlugin")));
  QTest::mouseClick(child<QPushButton>(plugins->popover(), "show_in_finder"), Qt::LeftButton);
  ASSERT_FALSE(viewer_.revealed.empty());
  EXPECT_EQ(viewer_.revealed.back().front(), systemPlugin("Tool.WebPlugin"));
}

// A stand-in Safari: a copy of sleep runs as the executable of a bundle with
// Safari's identifier.
TEST_F(ExtensionWindowsTest, WhileSafariRunsTheSheetShowsAndNothingChanges) {
  const std::string bundle = testing::writeBundle(tree_, "Running/Safari.app",
                                                  {"com.apple.Safari", "Safari", "Safari", {}});
  const std::string executable = bundle + "/Contents/MacOS/Safari";
  std::filesystem::copy_file("/bin/sleep", executable,
                             std::filesystem::copy_options::overwrite_existing);
  ASSERT_TRUE(programs::startDetached(executable, {"60"}));
  ASSERT_TRUE(eventually([&] { return !programs::processesRunning(executable).empty(); }));
  const std::string archive = home_ + "/Library/Safari/Extensions/Clipper.safariextz";
  launch();
  go(notifications::kSafariExtensionsViewController);
  auto* safari = page<SafariExtensionsViewController>();
  auto* table = child<QListView>(safari, "tableviewS");
  const int before = table->model()->rowCount();
  select(table, "Clipper");
  QTest::mouseClick(safari->removeButton(), Qt::LeftButton);
  EXPECT_TRUE(eventually([&] { return sheet("LaunchedSafariExtensions") != nullptr; }));
  EXPECT_FALSE(safari->logic().removing());
  EXPECT_TRUE(exists(archive));
  EXPECT_EQ(table->model()->rowCount(), before);
  for (pid_t pid : programs::processesRunning(executable)) ::kill(pid, SIGKILL);
  ASSERT_TRUE(eventually([&] { return programs::processesRunning(executable).empty(); }));

  sheet("LaunchedSafariExtensions")->accept();
  select(table, "Clipper");
  removeAndWait(safari);
  EXPECT_FALSE(exists(archive));
  EXPECT_EQ(rowOf(table, "Clipper"), -1);
}

// The pane goes to the review page, which searches its remainders and
// removes it with them.
TEST_F(ExtensionWindowsTest, APreferencePaneIsReviewedAndRemovedOnTheReviewPage) {
  launch();
  go(notifications::kPrefpanesViewController);
  auto* panes = page<PrefpanesViewController>();
  auto* table = child<QListView>(panes, "tableviewP");
  select(table, "Flux Dial");
  // The user's pane comes first in the catalog; both panes are called so.
  const std::string pane = delegate_->state().item()->url;
  EXPECT_TRUE(pane == home_ + "/Library/PreferencePanes/Flux Dial.prefPane" ||
              pane == root_ + "/Library/PreferencePanes/Flux Dial.prefPane");
  QTest::mouseClick(panes->removeButton(), Qt::LeftButton);
  auto* review = page<RemainderViewController>();
  ASSERT_TRUE(review);
  ASSERT_TRUE(eventually([&] { return review->isReady(); }));
  review->remove();
  ASSERT_TRUE(eventually([&] { return page<RemoveViewController>() != nullptr; }));
  EXPECT_FALSE(exists(pane));
}

TEST_F(ExtensionWindowsTest, TheInformationPopoverShowsFromTheSeventhLaunch) {
  store_->setInteger(keys::kAllowAny, 0);
  store_->setInteger(keys::kAppLaunchCount, 5);  // the launch makes it 6
  launch();
  go(notifications::kPluginsViewController);
  EXPECT_FALSE(page<PluginsViewController>()->popover());
  delegate_->app_settings().setInteger(keys::kAppLaunchCount, 7);
  for (const char* list :
       {notifications::kPluginsViewController, notifications::kPrefpanesViewController}) {
    go(list);
    auto* shown = page<ExtensionListViewController>();
    ASSERT_TRUE(eventually([&] { return shown->popover() && shown->popover()->isVisible(); }));
    auto* visit = child<QPushButton>(shown->popover(), "visit");
    ASSERT_TRUE(visit);
    QTest::mouseClick(visit, Qt::LeftButton);
  }
  EXPECT_EQ(opener_.urls.size(), 2u);
  EXPECT_NE(opener_.urls.front().find("/more/"), std::string::npos);
  delegate_->app_settings().setInteger(keys::kAllowAny, 1);
  go(notifications::kPrefpanesViewController);
  EXPECT_FALSE(page<ExtensionListViewController>()->popover());
}

TEST_F(ExtensionWindowsTest, EmptyListsShowTheirSheets) {
  store_->setBlob(keys::kHome, createGrant(tree_.folder("empty/Users/tester")));
  store_->setInteger(keys::kAllowAny, 0);
  launch();
  for (const auto& [list, name] :
       {std::pair{notifications::kPluginsViewController, "InstalledBundles"},
        std::pair{notifications::kPrefpanesViewController, "InstalledPrefpanes"},
        std::pair{notifications::kSafariExtensionsViewController, "InstalledSafariExtensions"}}) {
    go(list);
    EXPECT_TRUE(eventually([&] { return sheet(name) != nullptr; })) << name;
    if (QDialog* shown = sheet(name)) shown->accept();
  }
}

}  // namespace
}  // namespace vimbrel
