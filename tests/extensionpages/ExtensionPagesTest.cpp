#include "PagesFixture.h"
#include "extensions/PluginsPage.h"
#include "extensions/PrefpanesPage.h"
#include "extensions/SafariExtension.h"
#include "extensions/SafariExtensionsPage.h"
#include "platform/Paths.h"

namespace vimbrel {
namespace {

using extensions::PluginsPage;
using extensions::PrefpanesPage;
using extensions::RemoveStart;
using extensions::SafariExtensionsPage;
using Labels = std::vector<std::string>;

class ExtensionPagesTest : public testing::PagesFixture {
 protected:
  // How many rows show `label`.
  template <typename Page>
  static std::size_t shown(const Page& page, const std::string& label) {
    const Labels all = labels(page);
    return static_cast<std::size_t>(std::count(all.begin(), all.end(), label));
  }
  std::string systemPlugin(const std::string& name) const {
    return root_ + "/Library/Internet Plug-Ins/" + name;
  }
};

TEST_F(ExtensionPagesTest, TheFilterKeepsMatchingLabelsAndClearingRestoresCatalogOrder) {
  PluginsPage page(services());
  page.viewDidLoad();
  const Labels all = labels(page);
  ASSERT_GT(all.size(), 5u);
  page.tableViewSelectionDidChange(0);
  EXPECT_TRUE(page.removeEnabled());

  page.controlTextDidChange("view");
  EXPECT_EQ(labels(page), (Labels{"Page Viewer", "Sketch Preview"}));
  EXPECT_FALSE(page.removeEnabled());  // the table reloaded without a selection
  page.controlTextDidChange("VIEW");
  EXPECT_EQ(labels(page).size(), 2u);
  page.controlTextDidChange("");
  EXPECT_EQ(labels(page), all);
}

// Each record is measured once, on the size worker: a folder counts its
// visible files, an extension whose archive is gone counts nothing.
TEST_F(ExtensionPagesTest, RowsShowLabelFolderAndSizeMeasuredOffTheCallingThread) {
  tree_.fileOfSize("demo/Users/tester/Library/Address Book Plug-Ins/Sized.bundle/a", 600);
  tree_.fileOfSize("demo/Users/tester/Library/Address Book Plug-Ins/Sized.bundle/b/c", 400);
  tree_.fileOfSize("demo/Users/tester/Library/Address Book Plug-Ins/Sized.bundle/.hidden", 500);
  PluginsPage plugins(services());
  std::atomic<int> arrivals = 0;
  const auto caller = std::this_thread::get_id();
  std::atomic<bool> onCaller = false;
  plugins.viewDidLoad([&] {
    ++arrivals;
    if (std::this_thread::get_id() == caller) onCaller = true;
  });
  ASSERT_TRUE(testing::eventually([&] { return arrivals == int(plugins.catalogSize()); }));
  EXPECT_FALSE(onCaller);
  const auto sized = plugins.row(rowOf(plugins, "Sized"));
  EXPECT_EQ(sized.size, 1000u);
  EXPECT_EQ(sized.folder, home_ + "/Library/Address Book Plug-Ins");
  EXPECT_EQ(sized.iconType, "bundle");

  SafariExtensionsPage safari(services(), [] { return false; });
  safari.viewDidLoad();
  ASSERT_TRUE(testing::eventually([&] {
    return safari.numberOfRows() > 0 && safari.row(rowOf(safari, "Gone")).size.has_value();
  }));
  EXPECT_EQ(safari.row(rowOf(safari, "Gone")).size, 0u);
  EXPECT_GT(*safari.row(rowOf(safari, "Clipper")).size, 0u);
  EXPECT_EQ(safari.row(0).folder, home_ + "/Library/Safari/Extensions");
}

TEST_F(ExtensionPagesTest, RemovesAPluginWithItsRemaindersAndTakesItsRowOut) {
  const std::string pref =
      tree_.file("demo/Users/tester/Library/Preferences/com.pageviewer.plugin.plist", "p");
  const std::string support =
      tree_.file("demo/Users/tester/Library/Application Support/Page Viewer/cache.db", "c");
  state_.set_remainder_urls({"from an earlier removal"});
  PluginsPage page(services());
  page.viewDidLoad();
  const std::size_t before = page.numberOfRows();
  const std::size_t row = rowOf(page, "Page Viewer");
  page.tableViewSelectionDidChange(row);
  ASSERT_EQ(page.remove_plugin(), RemoveStart::Started);

  auto finished = finish([&] { return page.plugin_timer_proc(); });
  ASSERT_TRUE(finished);
  EXPECT_EQ(finished->removedRow, row);
  EXPECT_FALSE(finished->cantRemove);
  EXPECT_EQ(page.numberOfRows(), before - 1);
  EXPECT_EQ(shown(page, "Page Viewer"), 0u);
  EXPECT_FALSE(exists(systemPlugin("Page Viewer.plugin")));
  EXPECT_FALSE(exists(pref));
  EXPECT_FALSE(exists(paths::parent(support)));
  EXPECT_TRUE(state_.remainder_urls().empty());
  EXPECT_FALSE(page.removeEnabled());
  // Clearing a filter never brings a removed record back.
  page.controlTextDidChange("x");
  page.controlTextDidChange("");
  EXPECT_EQ(page.numberOfRows(), before - 1);
}

TEST_F(ExtensionPagesTest, APluginThatCannotBeRemovedShowsThePopoverAndItsRowGoes) {
  PluginsPage page(services());
  page.viewDidLoad();
  gated_.failing.insert(systemPlugin("Tool.WebPlugin"));
  page.tableViewSelectionDidChange(rowOf(page, "Tool"));
  ASSERT_EQ(page.remove_plugin(), RemoveStart::Started);
  auto finished = finish([&] { return page.plugin_timer_proc(); });
  ASSERT_TRUE(finished);
  EXPECT_TRUE(finished->cantRemove);
  EXPECT_TRUE(exists(systemPlugin("Tool.WebPlugin")));
  ASSERT_FALSE(state_.remainder_urls().empty());
  EXPECT_EQ(state_.remainder_urls().front(), systemPlugin("Tool.WebPlugin"));
  EXPECT_EQ(shown(page, "Tool"), 0u);
}

// Each removal clears the completion flag when it starts, so the second one
// of a visit waits for its own end; none starts while another runs.
TEST_F(ExtensionPagesTest, TwoRemovalsInOneVisitEachWaitForTheirOwnCompletion) {
  PluginsPage page(services());
  page.viewDidLoad();
  const std::string first = systemPlugin("Page Viewer.plugin");
  const std::string second = systemPlugin("Media Stream.webplugin");
  gated_.hold(first);
  page.tableViewSelectionDidChange(rowOf(page, "Page Viewer"));
  ASSERT_EQ(page.remove_plugin(), RemoveStart::Started);
  EXPECT_TRUE(page.removing());
  EXPECT_FALSE(page.removeEnabled());
  page.tableViewSelectionDidChange(rowOf(page, "Media Stream"));
  EXPECT_FALSE(page.removeEnabled());
  EXPECT_EQ(page.remove_plugin(), RemoveStart::Busy);
  EXPECT_FALSE(page.plugin_timer_proc());
  // The filter may change the rows meanwhile; the removed row is found again.
  page.controlTextDidChange("Stream");
  gated_.release(first);
  auto finished = finish([&] { return page.plugin_timer_proc(); });
  ASSERT_TRUE(finished);
  EXPECT_FALSE(finished->removedRow);  // not shown under the filter
  EXPECT_TRUE(exists(second));
  page.controlTextDidChange("");
  EXPECT_EQ(shown(page, "Page Viewer"), 0u);

  gated_.hold(second);
  page.tableViewSelectionDidChange(rowOf(page, "Media Stream"));
  ASSERT_EQ(page.remove_plugin(), RemoveStart::Started);
  for (int tick = 0; tick < 5; ++tick) EXPECT_FALSE(page.plugin_timer_proc());
  EXPECT_TRUE(exists(second));
  gated_.release(second);
  finished = finish([&] { return page.plugin_timer_proc(); });
  ASSERT_TRUE(finished);
  EXPECT_FALSE(exists(second));
}

TEST_F(ExtensionPagesTest, ASafariExtensionIsRemovedOnlyWhileSafariIsNotRunning) {
  const std::string list = home_ + "/Library/Safari/Extensions/Extensions.plist";
  const std::string archive = home_ + "/Library/Safari/Extensions/Clipper.safariextz";
  SafariExtensionsPage page(services(), &extensions::SafariExtension::isSafariRunning);
  page.viewDidLoad();
  const std::size_t before = page.numberOfRows();
  page.tableViewSelectionDidChange(rowOf(page, "Clipper"));
  {
    testing::RunningSafari safari(tree_);
    const auto listBefore = std::filesystem::last_write_time(list);
    EXPECT_EQ(page.removeExtension(), RemoveStart::SafariRunning);
    EXPECT_FALSE(page.removing());
    EXPECT_TRUE(exists(archive));
    EXPECT_EQ(std::filesystem::last_write_time(list), listBefore);
    EXPECT_EQ(page.numberOfRows(), before);
  }
  ASSERT_EQ(page.removeExtension(), RemoveStart::Started);
  auto finished = finish([&] { return page.safari_extensions_timer_proc(); });
  ASSERT_TRUE(finished);
  EXPECT_FALSE(finished->cantRemove);
  EXPECT_FALSE(exists(archive));
  EXPECT_EQ(page.numberOfRows(), before - 1);
  SafariExtensionsPage again(services(), [] { return false; });
  again.viewDidLoad();
  EXPECT_EQ(again.numberOfRows(), before - 1);
}

// The pane becomes the record under review, and the review page is asked for.
TEST_F(ExtensionPagesTest, APreferencePaneIsHandedToTheReviewPage) {
  PrefpanesPage page(services());
  page.viewDidLoad();
  page.removePrefPane();
  EXPECT_TRUE(posted_.empty());
  page.tableViewSelectionDidChange(rowOf(page, "Mouse Tuner"));
  ASSERT_TRUE(state_.item());
  EXPECT_EQ(state_.item()->url, root_ + "/Library/PreferencePanes/Mouse Tuner.prefPane");
  // The pane's own image, which the demo's Mouse Tuner names.
  EXPECT_EQ(page.row(rowOf(page, "Mouse Tuner")).icon, state_.item()->app_icon);
  EXPECT_EQ(page.row(rowOf(page, "Mouse Tuner")).icon.kind, ImageRef::Kind::ImageFile);
  page.removePrefPane();
  page.back_to_extensions();
  EXPECT_EQ(posted_, (Labels{"remainder_view_controller", "extensions_view_controller"}));
}

TEST_F(ExtensionPagesTest, TheInformationPopoverAppearsFromTheSeventhLaunchWithoutTheWholeDisk) {
  struct Case {
    int launches;
    int allowAny;
    bool shown;
  };
  for (const Case& c : {Case{6, 0, false}, Case{7, 0, true}, Case{7, 1, false}, Case{40, 1, false},
                        Case{40, 0, true}}) {
    store_->setInteger(keys::kAppLaunchCount, c.launches);
    store_->setInteger(keys::kAllowAny, c.allowAny);
    for (int visit = 0; visit < 2; ++visit) {
      PluginsPage plugins(services());
      plugins.viewDidLoad();
      PrefpanesPage panes(services());
      panes.viewDidLoad();
      EXPECT_EQ(plugins.viewDidAppear().popover.has_value(), c.shown) << c.launches << c.allowAny;
      EXPECT_EQ(panes.viewDidAppear().popover.value_or(""), c.shown ? "MorePrefpanes" : "");
      EXPECT_FALSE(plugins.viewDidAppear().emptySheet);
    }
  }
  SafariExtensionsPage safari(services(), [] { return false; });
  safari.viewDidLoad();
  EXPECT_FALSE(safari.viewDidAppear().popover);
}

TEST_F(ExtensionPagesTest, EmptyCatalogsShowTheirEmptyListSheets) {
  store_->setBlob(keys::kHome, createGrant(tree_.folder("empty/Users/tester")));
  store_->setInteger(keys::kAllowAny, 0);
  PluginsPage plugins(services());
  plugins.viewDidLoad();
  PrefpanesPage panes(services());
  panes.viewDidLoad();
  SafariExtensionsPage safari(services(), [] { return false; });
  safari.viewDidLoad();
  EXPECT_EQ(plugins.viewDidAppear().emptySheet, "InstalledBundles");
  EXPECT_EQ(panes.viewDidAppear().emptySheet, "InstalledPrefpanes");
  EXPECT_EQ(safari.viewDidAppear().emptySheet, "InstalledSafariExtensions");
  EXPECT_EQ(plugins.remove_plugin(), RemoveStart::NothingSelected);
}

}  // namespace
}  // namespace vimbrel
