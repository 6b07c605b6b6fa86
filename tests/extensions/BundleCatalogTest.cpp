#include <filesystem>

#include "ExtensionsFixture.h"
#include "extensions/Bundle.h"

namespace vimbrel {
namespace {

using extensions::Bundle;
using testing::BundleInfo;

class BundleCatalogTest : public testing::ExtensionsFixture {
 protected:
  template <typename Item>
  static std::vector<std::string> labels(const std::vector<Item>& items) {
    std::vector<std::string> result;
    for (const Item& item : items) result.push_back(item.label);
    return result;
  }
  std::vector<std::string> pluginLabels() {
    return labels(Bundle(fileSystem_, store_).installedPlugins());
  }
  std::vector<std::string> paneLabels() {
    return labels(Bundle(fileSystem_, store_).installedPrefPanes());
  }

  // Plug-ins in every folder the catalog knows, and in some it must not scan.
  void writePlugins() {
    const BundleInfo info{"com.example.plug", "Plug", "Plug", std::nullopt};
    homeBundle("Library/Address Book Plug-Ins/Contact Sync.bundle", info);
    homeBundle("Library/Address Book Plug-Ins/Loud.BUNDLE", info);
    homeFile("Library/Address Book Plug-Ins/ReadMe.txt");
    homeBundle("Library/Address Book Plug-Ins/.Hidden.bundle", info);
    homeBundle("Library/Internet Plug-Ins/Home Player.plugin", info);
    homeBundle("Library/Spotlight/Home.mdimporter", info);
    homeBundle("Library/QuickLook/Home.qlgenerator", info);
    diskBundle("Library/Address Book Plug-Ins/System Lookup.bundle", info);
    diskBundle("Library/Spotlight/Markdown.mdimporter", info);
    diskBundle("Library/Spotlight/Tool.MDImporter", info);
    diskBundle("Library/QuickLook/sketch.qlgenerator", info);
    diskBundle("Library/Internet Plug-Ins/Page Viewer.plugin", info);
    diskBundle("Library/Internet Plug-Ins/Tool.WebPlugin", info);
    diskBundle("Library/Internet Plug-Ins/Stream.webplugin", info);
    diskBundle("Library/Internet Plug-Ins/Flash.bundle", info);
  }
};

TEST_F(BundleCatalogTest, PluginFoldersAndExtensionTestsWithSystemFolders) {
  writePlugins();
  allowSystemFolders();
  // Exact, case-sensitive tests, except Internet plug-ins ("webplugin",
  // "WebPlugin"); the user's Spotlight, QuickLook and Internet Plug-Ins and
  // the system's address-book plug-ins are not scanned; hidden never listed.
  // Sorted without regard to case.
  EXPECT_EQ(pluginLabels(), (std::vector<std::string>{"Contact Sync", "Markdown", "Page Viewer",
                                                      "sketch", "Stream", "Tool"}));
}

TEST_F(BundleCatalogTest, SystemFoldersNeedAllowAnyAndAFreshWholeDiskGrant) {
  writePlugins();
  homeBundle("Library/PreferencePanes/Mine.prefPane", {});
  diskBundle("Library/PreferencePanes/Theirs.prefPane", {});
  const std::vector<std::string> userOnly{"Contact Sync"};
  EXPECT_EQ(pluginLabels(), userOnly);  // "AllowAny" unset
  EXPECT_EQ(paneLabels(), std::vector<std::string>{"Mine"});
  store_.setInteger(keys::kAllowAny, 0);
  EXPECT_EQ(pluginLabels(), userOnly);
  store_.setInteger(keys::kAllowAny, 2);
  EXPECT_EQ(pluginLabels(), userOnly);

  // A whole-disk grant whose folder was replaced since it was chosen is stale.
  allowSystemFolders();
  const std::string other = tree_.folder("other");
  store_.setBlob(keys::kMacOS, createGrant(other));
  std::filesystem::rename(other, tree_.path("other-old"));
  writeBundle(tree_, "other/Library/Internet Plug-Ins/Late.plugin", {});
  EXPECT_EQ(pluginLabels(), userOnly);
}

TEST_F(BundleCatalogTest, FieldsOfAPlugin) {
  allowSystemFolders();
  diskBundle("Library/Internet Plug-Ins/Page Viewer.plugin",
             {"com.acme.tools.importer", "My Plug In", "Viewer", std::nullopt});
  diskBundle("Library/Internet Plug-Ins/com.vendor.tool.plugin", {"acme", std::nullopt, "x", {}});
  tree_.file("disk/Library/Internet Plug-Ins/No Info.plugin/Contents/MacOS/No Info", "n");

  const auto items = Bundle(fileSystem_, store_).installedPlugins();
  ASSERT_EQ(items.size(), 3u);
  // Labels are cut at the first dot of the shown name.
  const auto& vendor = items[0];
  EXPECT_EQ(vendor.label, "com");
  EXPECT_EQ(vendor.bundle_name, "acme");
  EXPECT_EQ(vendor.company_name, "acme");
  EXPECT_EQ(vendor.label_name, "empty_string");
  EXPECT_EQ(vendor.bundle_name_info, "empty_string");

  const auto& bare = items[1];
  EXPECT_EQ(bare.label, "No Info");
  EXPECT_EQ(bare.bundle, std::nullopt);
  EXPECT_EQ(bare.bundle_name, std::nullopt);
  EXPECT_EQ(bare.company_name, std::nullopt);
  EXPECT_EQ(bare.executable_info, "empty_string");

  const auto& viewer = items[2];
  EXPECT_EQ(viewer.label, "Page Viewer");
  EXPECT_EQ(viewer.url, tree_.path("disk/Library/Internet Plug-Ins/Page Viewer.plugin"));
  EXPECT_EQ(viewer.icon, ImageRef::iconOfPath(viewer.url));
  EXPECT_TRUE(viewer.app_icon.empty());  // only preference panes have one
  EXPECT_EQ(viewer.bundle, "com.acme.tools.importer");
  EXPECT_EQ(viewer.bundle_name, "importer");
  EXPECT_EQ(viewer.company_name, "acme");
  EXPECT_EQ(viewer.label_name, "My_Plug_In");
  EXPECT_EQ(viewer.bundle_name_info, "My Plug In");
  EXPECT_EQ(viewer.executable_info, "Viewer");
  EXPECT_TRUE(viewer.files.empty());
  EXPECT_TRUE(viewer.sizes.empty());
  EXPECT_EQ(viewer.net_size, 0u);
}

TEST_F(BundleCatalogTest, PreferencePanesAreApplicationRecordsFromBothFolders) {
  const std::string mine = homeBundle("Library/PreferencePanes/Flux Dial.prefPane",
                                      {"com.flux.dial", "Flux Dial", "Flux", "Pane.icns"});
  tree_.file(
      "disk/Users/tester/Library/PreferencePanes/Flux Dial.prefPane/Contents/Resources/"
      "Pane.icns",
      "icns");
  homeBundle("Library/PreferencePanes/Old Pane.PrefPane", {});
  homeBundle("Library/PreferencePanes/beta.prefPane", {});
  diskBundle("Library/PreferencePanes/Flux Dial.prefPane",
             {"com.flux.dial", "Flux Dial", "Flux", "Pane"});
  diskBundle("Library/PreferencePanes/gamma.prefPane", {});
  diskBundle("Library/PreferencePanes/Alpha.prefPane", {});
  allowSystemFolders();

  const std::vector<ApplicationItem> panes = Bundle(fileSystem_, store_).installedPrefPanes();
  EXPECT_EQ(labels(panes),
            (std::vector<std::string>{"Alpha", "beta", "Flux Dial", "Flux Dial", "gamma"}));
  // The user's pane first; its icon file "Pane.icns" is the resource "Pane".
  EXPECT_EQ(panes[2].url, mine);
  EXPECT_EQ(panes[2].app_icon, ImageRef::imageFile(mine + "/Contents/Resources/Pane.icns"));
  EXPECT_TRUE(panes[3].app_icon.empty());  // "Pane" names no resource there
  EXPECT_EQ(panes[2].bundle_name, "dial");
}

}  // namespace
}  // namespace vimbrel
