#include <unistd.h>

#include <cstring>

#include "ExtensionsFixture.h"
#include "engine/RemainderSearch.h"
#include "extensions/Bundle.h"
#include "extensions/SafariExtension.h"
#include "platform/Paths.h"

namespace vimbrel {
namespace {

using extensions::BundleItem;
using extensions::SafariExtension;
using extensions::SafariItem;
using extensions::SafariListUpdate;
using testing::FailingFileSystem;
using testing::readBytes;
using testing::readPlist;
using testing::stringAt;
using Paths = std::vector<std::string>;

class BundleRemovalTest : public testing::ExtensionsFixture {
 protected:
  // The plug-in "Page Viewer" in the system's Internet Plug-Ins, with a
  // preference file and a support folder in the home.
  BundleItem pageViewer() {
    allowSystemFolders();
    bundle_ = diskBundle("Library/Internet Plug-Ins/Page Viewer.plugin",
                         {"com.pageviewer.plugin", "Page Viewer", "Viewer", std::nullopt});
    pref_ = homeFile("Library/Preferences/com.pageviewer.plugin.plist");
    support_ = homeFile("Library/Application Support/Page Viewer/state.db");
    auto items = extensions::Bundle(fileSystem_, store_).installedPlugins();
    EXPECT_EQ(items.size(), 1u);
    return items.at(0);
  }

  // Runs the removal and checks that the completion came once, with yes.
  void removeFiles(BundleItem& item, const FileSystem& fileSystem) {
    int calls = 0;
    item.remove_files(fileSystem, store_, state_, [&](bool done) {
      EXPECT_TRUE(done);
      ++calls;
    });
    EXPECT_EQ(calls, 1);
  }

  std::string bundle_, pref_, support_;
};

TEST_F(BundleRemovalTest, DeletesThePluginAndItsRemaindersAndLeavesTheReportAlone) {
  BundleItem item = pageViewer();
  state_.set_remainder_urls({"left by an earlier run"});
  removeFiles(item, fileSystem_);
  EXPECT_FALSE(fileSystem_.exists(bundle_));
  EXPECT_FALSE(fileSystem_.exists(pref_));
  EXPECT_FALSE(fileSystem_.exists(paths::parent(support_)));
  EXPECT_EQ(state_.remainder_urls(), Paths{"left by an earlier run"});
  EXPECT_EQ(item.files.front(), RemainderEntry::header(RemainderGroup::Executables));
  EXPECT_TRUE(item.sizes.empty());
  EXPECT_EQ(item.net_size, 0u);
}

// A bundle that cannot be deleted is reported alone: not the headers after
// it, not the entries that were deleted after it.
TEST_F(BundleRemovalTest, AnUndeletableBundleReportsExactlyItsSurvivors) {
  BundleItem item = pageViewer();
  FailingFileSystem failing(fileSystem_);
  failing.failing.insert(bundle_);
  removeFiles(item, failing);
  EXPECT_EQ(state_.remainder_urls(), Paths{bundle_});
  EXPECT_TRUE(fileSystem_.exists(bundle_));
  EXPECT_FALSE(fileSystem_.exists(pref_));
  EXPECT_FALSE(fileSystem_.exists(support_));
  EXPECT_GT(item.files.size(), 3u);  // headers and entries followed the bundle
}

// An address-book plug-in is found again in its own folder; if it stays, it
// is reported once.
TEST_F(BundleRemovalTest, APluginListedTwiceIsReportedOnce) {
  const std::string lookup =
      homeBundle("Library/Address Book Plug-Ins/Tool Lookup.bundle",
                 {"com.example.lookup", "Tool Lookup", "Lookup", std::nullopt});
  BundleItem item = extensions::Bundle(fileSystem_, store_).installedPlugins().at(0);
  FailingFileSystem failing(fileSystem_);
  failing.failing.insert(lookup);
  removeFiles(item, failing);
  EXPECT_EQ(std::count(item.files.begin(), item.files.end(), RemainderEntry::fileLocation(lookup)),
            2);
  EXPECT_EQ(state_.remainder_urls(), Paths{lookup});
}

// Once the bundle is gone, a remainder that stays is still reported: the
// list of survivors holds what is really left.
TEST_F(BundleRemovalTest, ARemainderThatStaysIsReportedEvenWhenTheBundleWent) {
  BundleItem item = pageViewer();
  FailingFileSystem failing(fileSystem_);
  failing.failing.insert(pref_);
  removeFiles(item, failing);
  EXPECT_EQ(state_.remainder_urls(), Paths{pref_});
  // The pages that show what stayed read why, too.
  EXPECT_EQ(state_.remainder_survivors(), (std::vector<Survivor>{{pref_, std::strerror(EACCES)}}));
  EXPECT_FALSE(fileSystem_.exists(bundle_));
  EXPECT_FALSE(fileSystem_.exists(support_));
}

TEST_F(BundleRemovalTest, SearchesWithoutSharedSupportCachesLabelLoginItemsOrSizes) {
  BundleItem item = pageViewer();
  const std::string cacheByLabel = homeFile("Library/Caches/Page Viewer");
  const std::string cacheById = homeFile("Library/Caches/com.pageviewer.plugin");
  const std::string shared = diskFile("Users/Shared/Page Viewer");
  const std::string systemSupport = diskFile("Library/Application Support/com.pageviewer.plugin");
  const std::string helperContainer = homeFile("Library/Containers/com.helper.tool/data");
  writeBundle(tree_,
              "disk/Library/Internet Plug-Ins/Page Viewer.plugin/Contents/Library/LoginItems/"
              "Helper.app",
              {"com.helper.tool", "Helper", "Helper", std::nullopt});

  // The application search would take the exact-label cache and the shared folders.
  ApplicationItem asApplication = item.asApplicationItem();
  RemainderSearch(fileSystem_, SearchVariant::application())
      .run(asApplication, SearchRoots::resolve(store_, keys::kHome));
  auto holds = [](const ApplicationItem& record, const std::string& path) {
    return std::find(record.files.begin(), record.files.end(),
                     RemainderEntry::fileLocation(path)) != record.files.end();
  };
  ASSERT_TRUE(holds(asApplication, cacheByLabel));
  ASSERT_TRUE(holds(asApplication, shared));
  ASSERT_TRUE(holds(asApplication, paths::parent(helperContainer)));

  removeFiles(item, fileSystem_);
  EXPECT_FALSE(fileSystem_.exists(cacheById));
  for (const std::string& kept : {cacheByLabel, shared, systemSupport, helperContainer}) {
    EXPECT_TRUE(fileSystem_.exists(kept)) << kept;
  }
  EXPECT_TRUE(state_.remainder_urls().empty());
}

class SafariRemovalTest : public testing::ExtensionsFixture {
 protected:
  SafariItem clipper() {
    auto items = SafariExtension(store_).installedSafariExtensions();
    for (const SafariItem& item : items) {
      if (item.label == "Clipper") return item;
    }
    ADD_FAILURE() << "no Clipper";
    return {};
  }
  SafariListUpdate remove(SafariItem item) {
    int calls = 0;
    auto update = item.remove_safari_extension(fileSystem_, store_, state_, [&](bool done) {
      EXPECT_TRUE(done);
      ++calls;
    });
    EXPECT_EQ(calls, 1);
    return update;
  }
  std::string archive() const { return safariFolder() + "/Clipper.safariextz"; }
};

TEST_F(SafariRemovalTest, RemovesTheArchiveItsRemaindersAndItsEntry) {
  writeSafariList({{"Clipper.safariextz", "com.example.clipper"}, {"Keep.safariextz", "com.keep"}});
  const std::string pref = homeFile("Library/Preferences/com.example.clipper.plist");
  const std::string unrelated = homeFile("Library/Preferences/com.keep.plist");
  EXPECT_EQ(remove(clipper()), SafariListUpdate::Written);
  EXPECT_FALSE(fileSystem_.exists(archive()));
  EXPECT_FALSE(fileSystem_.exists(pref));
  EXPECT_TRUE(fileSystem_.exists(unrelated));
  EXPECT_TRUE(fileSystem_.exists(safariFolder() + "/Keep.safariextz"));
  EXPECT_TRUE(state_.remainder_urls().empty());
  auto list = readPlist(safariList());
  plist_t installed = plist_dict_get_item(list.get(), "Installed Extensions");
  ASSERT_EQ(plist_array_get_size(installed), 1u);
  EXPECT_EQ(stringAt(plist_array_get_item(installed, 0), "Bundle Identifier"), "com.keep");
  EXPECT_EQ(readBytes(safariList()).rfind("bplist00", 0), 0u);
}

// Replacing a list that cannot be read would uninstall every extension as
// far as Safari knows; removing the archive alone would leave Safari listing
// a missing one. Nothing changes, and the archive is reported.
TEST_F(SafariRemovalTest, AnUnreadableListIsLeftAloneAndNothingIsRemoved) {
  writeSafariList({{"Clipper.safariextz", "com.example.clipper"}});
  const SafariItem item = clipper();
  const std::string pref = homeFile("Library/Preferences/com.example.clipper.plist");
  homeFile("Library/Safari/Extensions/Extensions.plist", "bplist00 damaged");
  EXPECT_EQ(remove(item), SafariListUpdate::Unreadable);
  EXPECT_EQ(readBytes(safariList()), "bplist00 damaged");
  EXPECT_TRUE(fileSystem_.exists(archive()));
  EXPECT_TRUE(fileSystem_.exists(pref));
  EXPECT_EQ(state_.remainder_urls(), Paths{archive()});

  // With the archive gone as well, the list is what the user can look at.
  std::filesystem::remove(archive());
  EXPECT_EQ(remove(item), SafariListUpdate::Unreadable);
  EXPECT_EQ(state_.remainder_urls(), Paths{safariList()});
}

TEST_F(SafariRemovalTest, AMissingListIsCreatedEmpty) {
  writeSafariList({{"Clipper.safariextz", "com.example.clipper"}});
  const SafariItem item = clipper();
  std::filesystem::remove(safariList());
  EXPECT_EQ(remove(item), SafariListUpdate::Written);
  EXPECT_FALSE(fileSystem_.exists(archive()));
  auto list = readPlist(safariList());
  ASSERT_TRUE(list);
  EXPECT_EQ(plist_array_get_size(plist_dict_get_item(list.get(), "Installed Extensions")), 0u);
}

TEST_F(SafariRemovalTest, AListThatCannotBeWrittenKeepsItsOldContents) {
  writeSafariList({{"Clipper.safariextz", "com.example.clipper"}});
  const std::string before = readBytes(safariList());
  tree_.folder("disk/Users/tester/Library/Safari/Extensions/Extensions.plist.tmp." +
               std::to_string(getpid()) + "/x");
  EXPECT_EQ(remove(clipper()), SafariListUpdate::NotWritten);
  EXPECT_EQ(readBytes(safariList()), before);
}

}  // namespace
}  // namespace vimbrel
