#include <QLabel>

#include "WindowFixture.h"
#include "app/ui/FoldersViewController.h"
#include "app/ui/GrantsPanel.h"
#include "app/ui/PreferencesWindowController.h"

namespace vimbrel::testing {
namespace {

namespace fs = std::filesystem;

class FoldersPageTest : public WindowTest {
 protected:
  FoldersViewController* folders() {
    auto* preferences = dynamic_cast<PreferencesWindowController*>(delegate_->preferences());
    if (preferences == nullptr) return nullptr;
    delegate_->showPreferences();
    preferences->selectPage("PreferencesFolders");
    return dynamic_cast<FoldersViewController*>(preferences->currentPage());
  }
  QString text(QWidget* page, const QString& name) {
    auto* label = page->findChild<QLabel*>(name);
    return label != nullptr ? label->text() : QString("(no %1)").arg(name);
  }
};

TEST_F(FoldersPageTest, ShowsValidStaleAndMissingGrantsWithWhy) {
  grantFolders();
  const std::string disk = tree_.folder("Disk");
  store().setBlob(keys::kMacOS, createGrant(disk));
  store().setInteger(keys::kAllowAny, 1);
  launch();
  FoldersViewController* page = folders();
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(text(page, "HomePath").toStdString(), home_);
  EXPECT_EQ(text(page, "HomeState"), "Valid");

  // The Applications folder replaced behind the grant's back: stale. The
  // whole-disk folder gone: missing.
  fs::rename(applications_, applications_ + "-old");
  fs::create_directory(applications_);
  fs::remove(disk);
  page->grants()->refresh();
  EXPECT_TRUE(text(page, "ApplicationsState").startsWith("Stale: "))
      << text(page, "ApplicationsState").toStdString();
  EXPECT_TRUE(text(page, "WholeDiskState").startsWith("Missing: "))
      << text(page, "WholeDiskState").toStdString();
  EXPECT_EQ(text(page, "WholeDiskPath"), "No folder");
}

TEST_F(FoldersPageTest, ChangeKeepsTheOldGrantForAWrongFolderAndSaysWhy) {
  grantFolders();
  launch();
  FoldersViewController* page = folders();
  ASSERT_NE(page, nullptr);
  chooser_.answers = {tree_.folder("Somewhere")};
  page->grants()->change(GrantChecks::Kind::Home);
  EXPECT_EQ(resolve_grant(store(), keys::kHome).location, home_);
  EXPECT_TRUE(text(page, "HomeProblem").contains("must be called \"tester\""));

  // A mounted macOS home passes.
  const std::string mac = tree_.folder("Volumes/Mac/Users/anna/Library");
  chooser_.answers = {fs::path(mac).parent_path().string()};
  page->grants()->change(GrantChecks::Kind::Home);
  EXPECT_EQ(resolve_grant(store(), keys::kHome).location, fs::path(mac).parent_path().string());
  EXPECT_EQ(text(page, "HomeState"), "Valid");
  EXPECT_FALSE(page->findChild<QLabel*>("HomeProblem")->isVisibleTo(page));

  chooser_.answers = {"/"};
  page->grants()->change(GrantChecks::Kind::WholeDisk);
  EXPECT_EQ(store().integer(keys::kAllowAny), 1);
}

TEST_F(FoldersPageTest, RemoveAsksFirstThenBringsBackTheSheetOrStopsTheWholeDisk) {
  grantFolders();
  store().setBlob(keys::kMacOS, createGrant("/"));
  store().setInteger(keys::kAllowAny, 1);
  launch();
  EXPECT_EQ(openSheet("Sandbox"), nullptr);
  FoldersViewController* page = folders();
  ASSERT_NE(page, nullptr);
  std::vector<QString> asked;
  bool answer = false;
  page->grants()->setConfirm([&](const QString& question) {
    asked.push_back(question);
    return answer;
  });
  page->grants()->remove(GrantChecks::Kind::Applications);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_TRUE(resolve_grant(store(), keys::kApplications).location.has_value());

  answer = true;
  page->grants()->remove(GrantChecks::Kind::WholeDisk);
  EXPECT_EQ(store().integer(keys::kAllowAny), 0);
  EXPECT_FALSE(resolve_grant(store(), keys::kMacOS).location.has_value());
  EXPECT_EQ(openSheet("Sandbox"), nullptr);

  page->grants()->remove(GrantChecks::Kind::Applications);
  EXPECT_FALSE(resolve_grant(store(), keys::kApplications).location.has_value());
  EXPECT_EQ(text(page, "ApplicationsState"), "Not granted");
  EXPECT_NE(openSheet("Sandbox"), nullptr);
}

}  // namespace
}  // namespace vimbrel::testing
