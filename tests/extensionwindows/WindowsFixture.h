#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "TempTree.h"
#include "app/ui/AppDelegate.h"
#include "app/ui/MainWindow.h"
#include "app/ui/Page.h"
#include "app/ui/ViewController.h"
#include "demohome/DemoHome.h"
#include "engine/SettingsKeys.h"
#include "platform/FileSystem.h"
#include "platform/Grant.h"
#include "platform/LoginItem.h"
#include "platform/SettingsStore.h"
#include "platform/ui/FileViewer.h"
#include "platform/ui/SoundPlayer.h"
#include "platform/ui/UrlOpener.h"

namespace vimbrel::testing {

// Runs the event loop until `condition` holds, for up to ten seconds.
inline bool eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}

class RecordingFileViewer final : public FileViewer {
 public:
  void reveal(const std::vector<std::string>& paths) override { revealed.push_back(paths); }
  std::vector<std::vector<std::string>> revealed;
};

class RecordingUrlOpener final : public UrlOpener {
 public:
  bool openUrl(const std::string& url) override {
    urls.push_back(url);
    return true;
  }
  bool openFile(const std::string& path) override {
    files.push_back(path);
    return true;
  }
  std::vector<std::string> urls, files;
};

// Fails the deletion of chosen paths, as for a user without permission.
class FailingFileSystem final : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  Status removeBelow(const RemovalAnchor& anchor, const std::string& path) const override {
    if (failing.count(path)) return Status::fromErrno(EACCES, "injected");
    return ForwardingFileSystem::removeBelow(anchor, path);
  }
  std::set<std::string> failing;
};

class SilentSounds final : public SoundPlayer {
 public:
  void play(const std::string&) override {}
};

class RecordingLoginItem final : public LoginItem {
 public:
  Status setEnabled(bool enabled) override {
    calls.push_back(enabled);
    return Status::ok();
  }
  bool isEnabled() const override { return !calls.empty() && calls.back(); }
  std::vector<bool> calls;
};

// The application on the generated demo home with every grant, its windows
// on the offscreen platform, and recording doubles for the desktop.
class WindowsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = tree_.path("demo");
    ASSERT_TRUE(demo::generateDemoHome(root_, {"tester"}));
    home_ = demo::demoHomeFolder(root_, "tester");
    auto store = openPlistSettingsStore(tree_.path("config"), domains::kApplication);
    store->setBlob(keys::kHome, createGrant(home_));
    store->setBlob(keys::kApplications, createGrant(demo::demoApplicationsFolder(root_)));
    store->setBlob(keys::kMacOS, createGrant(root_));
    store->setInteger(keys::kAllowAny, 1);
    store_ = store.get();
    pending_ = std::move(store);
  }

  void TearDown() override { delegate_.reset(); }

  // Starts the application; settings may be changed before.
  void launch(AppServices extra = {}) {
    AppServices services = extra;
    if (!services.fileSystem) services.fileSystem = &failing_;
    services.fileViewer = &viewer_;
    services.urlOpener = &opener_;
    services.sounds = &sounds_;
    services.sharedSettings = shared_.get();
    if (!services.loginItem) services.loginItem = &loginItem_;
    services.loginName = "tester";
    services.homeFolder = home_;
    delegate_ = std::make_unique<AppDelegate>(std::move(pending_), std::move(services),
                                              AppDelegate::Options{false});
    delegate_->applicationDidFinishLaunching();
    delegate_->window()->show();
    ASSERT_TRUE(eventually([&] { return delegate_->window()->isVisible(); }));
  }

  void go(const char* notification) { delegate_->center().post(notification); }

  template <typename PageType>
  PageType* page() const {
    return dynamic_cast<PageType*>(delegate_->window()->viewController()->currentPage());
  }

  // The visible sheet of the main window called `identifier`.
  QDialog* sheet(const QString& identifier) const {
    for (QDialog* dialog : delegate_->window()->findChildren<QDialog*>(identifier)) {
      if (dialog->isVisible()) return dialog;
    }
    return nullptr;
  }

  template <typename Widget = QWidget>
  static Widget* child(QWidget* parent, const QString& name) {
    return parent ? parent->findChild<Widget*>(name) : nullptr;
  }

  static QStringList labels(QListView* table) {
    QStringList shown;
    for (int row = 0; row < table->model()->rowCount(); ++row) {
      shown << table->model()->index(row, 0).data().toString();
    }
    return shown;
  }
  static int rowOf(QListView* table, const QString& label) {
    return static_cast<int>(labels(table).indexOf(label));
  }
  static void select(QListView* table, const QString& label) {
    const int row = rowOf(table, label);
    ASSERT_GE(row, 0) << label.toStdString();
    table->setCurrentIndex(table->model()->index(row, 0));
  }

  bool exists(const std::string& path) const { return std::filesystem::exists(path); }

  TempTree tree_;
  std::string root_, home_;
  SettingsStore* store_ = nullptr;
  std::unique_ptr<SettingsStore> pending_;
  std::unique_ptr<SettingsStore> shared_ =
      openPlistSettingsStore(tree_.path("config"), domains::kShared);
  PosixFileSystem fileSystem_;
  FailingFileSystem failing_{fileSystem_};
  RecordingFileViewer viewer_;
  RecordingUrlOpener opener_;
  SilentSounds sounds_;
  RecordingLoginItem loginItem_;
  std::unique_ptr<AppDelegate> delegate_;
};

}  // namespace vimbrel::testing
