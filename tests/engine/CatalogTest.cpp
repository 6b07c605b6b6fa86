#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FakeBundles.h"
#include "TempTree.h"
#include "engine/Application.h"
#include "engine/SettingsKeys.h"
#include "platform/Grant.h"

namespace vimbrel {
namespace {

using testing::BundleInfo;
using testing::TempTree;
using testing::writeBundle;

class CatalogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_ = openPlistSettingsStore(tree_.folder("config"), domains::kApplication);
    applications_ = tree_.folder("Applications");
    store_->setBlob(keys::kApplications, createGrant(applications_));
  }

  std::string app(const std::string& relative, const std::string& identifier) {
    std::string name = relative.substr(relative.rfind('/') + 1);
    name = name.substr(0, name.size() - 4);
    return writeBundle(tree_, "Applications/" + relative, {identifier, name, name, std::nullopt});
  }

  std::vector<std::string> labels() {
    Application catalog(fileSystem_, *store_);
    std::vector<std::string> result;
    for (const auto& item : catalog.installedApplications()) result.push_back(item.label);
    return result;
  }

  TempTree tree_;
  PosixFileSystem fileSystem_;
  std::unique_ptr<SettingsStore> store_;
  std::string applications_;
};

TEST_F(CatalogTest, FindsApplicationsUpToTwoLevelsDownAndThreeInsideUtilities) {
  app("Top.app", "com.example.Top");
  app("Folder/One.app", "com.example.One");
  app("Folder/Sub/Two.app", "com.example.Two");
  app("Folder/Sub/Deeper/Three.app", "com.example.Three");
  app("Utilities/Util.app", "com.example.Util");
  app("Utilities/A/UtilOne.app", "com.example.UtilOne");
  app("Utilities/A/B/UtilTwo.app", "com.example.UtilTwo");
  app("Utilities/A/B/C/UtilThree.app", "com.example.UtilThree");
  app("Top.app/Contents/Helpers/Inner.app", "com.example.Inner");
  app(".Hidden.app", "com.example.Hidden");
  app("Folder/.Sub/Secret.app", "com.example.Secret");
  tree_.file("Applications/readme.txt");
  tree_.folder("Applications/Odd.APP");  // the extension test is case-sensitive

  EXPECT_EQ(labels(), (std::vector<std::string>{"One", "Top", "Two"}));
  store_->setInteger(keys::kIncludeUtilities, 1);
  EXPECT_EQ(labels(),
            (std::vector<std::string>{"One", "Top", "Two", "Util", "UtilOne", "UtilTwo"}));
}

TEST_F(CatalogTest, LeavesOutThePlatformsOwnApplicationsUnlessIncluded) {
  app("Safari.app", "com.apple.Safari");
  app("iTunes.app", "com.apple.iTunes");
  app("Xcode.app", "com.apple.dt.Xcode");
  app("Tool.app", "com.example.Tool");
  writeBundle(tree_, "Applications/Anonymous.app", {});
  EXPECT_EQ(labels(), (std::vector<std::string>{"Anonymous", "iTunes", "Tool", "Xcode"}));
  store_->setInteger(keys::kIncludeDefaultApps, 1);
  EXPECT_EQ(labels(), (std::vector<std::string>{"Anonymous", "iTunes", "Safari", "Tool", "Xcode"}));
  // Only exactly 1 switches a flag on.
  store_->setInteger(keys::kIncludeDefaultApps, 2);
  EXPECT_EQ(labels().size(), 4u);
}

TEST_F(CatalogTest, SortsByLabelWithoutRegardToCase) {
  app("gamma.app", "com.example.gamma");
  app("Beta.app", "com.example.Beta");
  app("alpha.app", "com.example.alpha");
  app("Émile.app", "com.example.Emile");
  app("Zebra.app", "com.example.Zebra");
  EXPECT_EQ(labels(), (std::vector<std::string>{"alpha", "Beta", "Émile", "gamma", "Zebra"}));
}

TEST_F(CatalogTest, WithoutAnApplicationsGrantTheListIsEmpty) {
  app("Tool.app", "com.example.Tool");
  auto other = openPlistSettingsStore(tree_.folder("other-config"), domains::kApplication);
  Application catalog(fileSystem_, *other);
  EXPECT_TRUE(catalog.installedApplications().empty());
  EXPECT_FALSE(catalog.url_applications());
}

TEST_F(CatalogTest, DerivesEveryFieldOfARecord) {
  std::string path = writeBundle(tree_, "Applications/My App.app",
                                 {"com.example.MyApp", "My App", "MyAppBin", "AppIcon.icns"});
  tree_.file("Applications/My App.app/Contents/Resources/AppIcon.icns", "icns");
  Application catalog(fileSystem_, *store_);
  ApplicationItem item = catalog.application(path);
  EXPECT_EQ(item.label, "My App");
  EXPECT_EQ(item.label_name, "My_App");
  EXPECT_EQ(item.url, path);
  EXPECT_EQ(item.icon, ImageRef::iconOfPath(path));
  EXPECT_EQ(item.app_icon, ImageRef::imageFile(path + "/Contents/Resources/AppIcon.icns"));
  EXPECT_EQ(item.bundle, "com.example.MyApp");
  EXPECT_EQ(item.bundle_name, "MyApp");
  EXPECT_EQ(item.bundle_name_info, "My App");
  EXPECT_EQ(item.executable_info, "MyAppBin");
  EXPECT_EQ(item.company_name, "example");
  EXPECT_TRUE(item.files.empty());
  EXPECT_TRUE(item.sizes.empty());
  EXPECT_EQ(item.net_size, 0u);
}

TEST_F(CatalogTest, MissingValuesBecomeEmptyStringOrNothing) {
  Application catalog(fileSystem_, *store_);
  ApplicationItem bare = catalog.application(writeBundle(tree_, "Applications/Bare.app", {}));
  EXPECT_EQ(bare.label_name, "empty_string");
  EXPECT_EQ(bare.bundle_name_info, "empty_string");
  EXPECT_EQ(bare.executable_info, "empty_string");
  EXPECT_EQ(bare.bundle, std::nullopt);
  EXPECT_EQ(bare.bundle_name, std::nullopt);
  EXPECT_EQ(bare.company_name, std::nullopt);
  EXPECT_TRUE(bare.app_icon.empty());

  ApplicationItem noDot =
      catalog.application(writeBundle(tree_, "Applications/Tool.app", {"Tool", {}, {}, "Icon"}));
  EXPECT_EQ(noDot.bundle_name, "Tool");
  EXPECT_EQ(noDot.company_name, "Tool");
  EXPECT_TRUE(noDot.app_icon.empty());  // the icon file does not exist

  ApplicationItem emptyCompany =
      catalog.application(writeBundle(tree_, "Applications/Odd.app", {"com..Odd", {}, {}, {}}));
  EXPECT_EQ(emptyCompany.company_name, "");
  EXPECT_EQ(emptyCompany.bundle_name, "Odd");
}

TEST_F(CatalogTest, IconNamesWithoutIcnsAreLookedUpUnchanged) {
  std::string path =
      writeBundle(tree_, "Applications/Pic.app", {"com.example.Pic", "Pic", "Pic", "Logo.png"});
  tree_.file("Applications/Pic.app/Contents/Resources/Logo.png", "png");
  Application catalog(fileSystem_, *store_);
  EXPECT_EQ(catalog.application(path).app_icon,
            ImageRef::imageFile(path + "/Contents/Resources/Logo.png"));
}

}  // namespace
}  // namespace vimbrel
