#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QThreadPool>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "RunningStandIn.h"
#include "TempTree.h"
#include "app/ui/AppDelegate.h"
#include "app/ui/ApplicationsViewController.h"
#include "app/ui/MainWindow.h"
#include "app/ui/Page.h"
#include "app/ui/RemainderListView.h"
#include "app/ui/RemainderModel.h"
#include "app/ui/RemainderRowDelegate.h"
#include "app/ui/RemainderViewController.h"
#include "app/ui/RemoveViewController.h"
#include "app/ui/Style.h"
#include "app/ui/ViewController.h"
#include "demohome/DemoHome.h"
#include "engine/SettingsKeys.h"
#include "platform/Grant.h"

namespace vimbrel::testing {

// Desktop services that record what the windows asked of them.
class RecordingViewer final : public FileViewer {
 public:
  void reveal(const std::vector<std::string>& paths) override { revealed.push_back(paths); }
  std::vector<std::vector<std::string>> revealed;
};
class RecordingOpener final : public UrlOpener {
 public:
  bool openUrl(const std::string& url) override {
    opened.push_back(url);
    return true;
  }
  bool openFile(const std::string& path) override {
    opened.push_back(path);
    return true;
  }
  std::vector<std::string> opened;
};
class RecordingSounds final : public SoundPlayer {
 public:
  void play(const std::string& id) override { played.push_back(id); }
  std::vector<std::string> played;
};
// Answers each folder panel with the next queued folder (nothing = cancel).
class ScriptedChooser final : public FolderChooser {
 public:
  std::optional<std::string> chooseFolder(const FolderPanelOptions&) override {
    if (answers.empty()) return std::nullopt;
    auto next = answers.front();
    answers.pop_front();
    return next;
  }
  std::deque<std::optional<std::string>> answers;
};

// A file system whose deletions fail for paths containing `failing`.
class FailingFileSystem final : public ForwardingFileSystem {
 public:
  FailingFileSystem(const FileSystem& target, std::string failing)
      : ForwardingFileSystem(target), failing_(std::move(failing)) {}
  Status removeBelow(const RemovalAnchor& anchor, const std::string& path) const override {
    if (path.find(failing_) != std::string::npos) return Status::error("refused by the test");
    return ForwardingFileSystem::removeBelow(anchor, path);
  }

 private:
  std::string failing_;
};

// The application on a generated demo home, with its own settings, started
// the way the program starts it (the analytics framework left out).
class WindowTest : public ::testing::Test {
 protected:
  static constexpr const char* kLogin = "tester";

  void SetUp() override {
    ASSERT_TRUE(demo::generateDemoHome(root_, {kLogin, 0, 0}).isOk());
    home_ = demo::demoHomeFolder(root_, kLogin);
    applications_ = demo::demoApplicationsFolder(root_);
  }

  void TearDown() override {
    while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    if (delegate_) {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget)) dialog->close();
      }
      delegate_.reset();
    }
    QThreadPool::globalInstance()->waitForDone();
    QApplication::processEvents();
  }

  void grantFolders() {
    store().setBlob(keys::kHome, createGrant(home_));
    store().setBlob(keys::kApplications, createGrant(applications_));
  }

  SettingsStore& store() {
    if (!pendingStore_ && !delegate_) pendingStore_ = openPlistSettingsStore(config_, "app");
    return delegate_ ? delegate_->app_settings() : *pendingStore_;
  }

  // Starts the application and shows its window.
  void launch(const FileSystem* fileSystem = nullptr) {
    AppServices services;
    services.fileSystem = fileSystem;
    services.folderChooser = &chooser_;
    services.fileViewer = &viewer_;
    services.urlOpener = &opener_;
    services.sounds = &sounds_;
    services.loginName = kLogin;
    services.homeFolder = home_;
    services.terminate = [this] { ++terminateRequests_; };
    services.endProcess = [this](int status) { endedWith_ = status; };
    services.emailPrompt = [this](const std::string& schedule, const std::string& message) {
      emailPrompts_.push_back(schedule + " | " + message);
    };
    if (!pendingStore_) pendingStore_ = openPlistSettingsStore(config_, "app");
    if (!agentStore_) agentStore_ = openPlistSettingsStore(config_, "agent");
    services.agentSettings = agentStore_.get();
    delegate_ = std::make_unique<AppDelegate>(std::move(pendingStore_), services,
                                              AppDelegate::Options{.startFramework = false});
    delegate_->applicationDidFinishLaunching();
    window().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
  }

  MainWindow& window() { return *delegate_->window(); }
  ViewController& controller() { return *window().viewController(); }
  template <typename T>
  T* page() {
    return dynamic_cast<T*>(controller().currentPage());
  }
  template <typename T = QAbstractButton>
  T* control(const char* objectName) {
    return controller().currentPage()->findChild<T*>(objectName);
  }
  void click(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
  }
  // The sheet of the window with this identifier, if one is open.
  QDialog* openSheet(const char* identifier) {
    for (QDialog* dialog : window().findChildren<QDialog*>(identifier)) {
      if (dialog->isVisible()) return dialog;
    }
    return nullptr;
  }

  // Applications page, Tool picked, next; returns the review once its search is done.
  RemainderViewController* reviewFromList(const std::string& label = "Tool") {
    delegate_->center().post(notifications::kApplicationsViewController);
    auto* list = page<ApplicationsViewController>();
    if (list == nullptr) return nullptr;
    selectLabel(*list, label);
    click(control("remainder_next"));
    return waitForReview();
  }
  static void selectLabel(ApplicationsViewController& list, const std::string& label) {
    for (int row = 0; row < list.model()->rowCount(); ++row) {
      if (list.model()->recordAt(row)->label == label) {
        list.tableviewA()->setCurrentIndex(list.model()->index(row));
        return;
      }
    }
    ADD_FAILURE() << "no row " << label;
  }
  RemainderViewController* waitForReview() {
    auto* review = page<RemainderViewController>();
    if (review == nullptr) return nullptr;
    EXPECT_TRUE(QTest::qWaitFor([&] { return review->isReady(); }, 30000));
    return review;
  }
  // Clicks Remove and waits for the result page, as the removal runs on a worker.
  void removeAndWait() {
    click(control("remove"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
          auto* review = page<RemainderViewController>();
          return review == nullptr || !review->busy();
        },
        30000));
    QApplication::processEvents();
  }
  // The switch of a review row, as the list shows and a screen reader names it.
  static bool switchOn(const RemainderViewController& review, std::size_t row) {
    return review.model()->index(static_cast<int>(row)).data(Qt::CheckStateRole).toInt() ==
           Qt::Checked;
  }
  // Clicks the switch of `row` where the list draws it.
  static void clickSwitch(RemainderViewController& review, std::size_t row) {
    QListView* list = review.listView();
    const QModelIndex index = review.model()->index(static_cast<int>(row));
    list->scrollTo(index);
    const QRect rect = RemainderRowDelegate::switchRect(list->visualRect(index));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
  }
  // The row of the review whose path ends with `tail`.
  static std::size_t rowOf(const RemainderViewController& review, const std::string& tail) {
    const auto& files = review.files();
    for (std::size_t i = 0; i < files.size(); ++i) {
      const std::string& text = files[i].text();
      if (files[i].isFileLocation() && text.size() >= tail.size() &&
          text.compare(text.size() - tail.size(), tail.size(), tail) == 0) {
        return i;
      }
    }
    ADD_FAILURE() << "no row ends with " << tail;
    return files.size();
  }

  TempTree tree_;
  std::string root_ = tree_.path("root");
  std::string config_ = tree_.path("config");
  std::string home_;
  std::string applications_;
  ScriptedChooser chooser_;
  RecordingViewer viewer_;
  RecordingOpener opener_;
  RecordingSounds sounds_;
  int terminateRequests_ = 0;
  std::vector<std::string> emailPrompts_;  // what the framework was asked for
  std::optional<int> endedWith_;
  std::unique_ptr<SettingsStore> pendingStore_;
  std::unique_ptr<SettingsStore> agentStore_;
  std::unique_ptr<AppDelegate> delegate_;
};

}  // namespace vimbrel::testing
