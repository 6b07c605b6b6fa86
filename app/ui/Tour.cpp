#include "app/ui/Tour.h"

#include <stdlib.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <thread>
#include <vector>

#include "app/ui/AppDelegate.h"
#include "app/ui/ApplicationsViewController.h"
#include "app/ui/ExtensionListViewController.h"
#include "app/ui/MainWindow.h"
#include "app/ui/Popover.h"
#include "app/ui/PreferencesWindowController.h"
#include "app/ui/RemainderViewController.h"
#include "app/ui/RemoveViewController.h"
#include "app/ui/Style.h"
#include "app/ui/ViewController.h"
#include "demohome/DemoHome.h"
#include "engine/SettingsKeys.h"
#include "platform/FileSystem.h"
#include "platform/Grant.h"
#include "platform/User.h"
#include "ravell/RavellToolKit.h"
#include "spider/QtAgentWindows.h"

namespace vimbrel {

namespace {

// Desktop services that stay inside the tour: nothing opens, nothing sounds.
class QuietViewer final : public FileViewer {
 public:
  void reveal(const std::vector<std::string>&) override {}
};
class QuietOpener final : public UrlOpener {
 public:
  bool openUrl(const std::string&) override { return true; }
  bool openFile(const std::string&) override { return true; }
};
class QuietChooser final : public FolderChooser {
 public:
  std::optional<std::string> chooseFolder(const FolderPanelOptions&) override {
    return std::nullopt;
  }
};
class QuietSounds final : public SoundPlayer {
 public:
  void play(const std::string&) override {}
};

// The desktop's file system, with deletions slowed down while `slow` is set,
// so that the removal in progress can be pictured.
class UnhurriedFileSystem final : public ForwardingFileSystem {
 public:
  explicit UnhurriedFileSystem(const FileSystem& target) : ForwardingFileSystem(target) {}
  Status removeBelow(const RemovalAnchor& anchor, const std::string& path) const override {
    if (slow.load()) std::this_thread::sleep_for(std::chrono::milliseconds(120));
    return ForwardingFileSystem::removeBelow(anchor, path);
  }
  std::atomic<bool> slow{true};
};

void wait(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

template <typename Predicate>
bool waitUntil(Predicate done, int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > milliseconds) return false;
    wait(20);
  }
  return true;
}

class Photographer {
 public:
  Photographer(const std::string& folder, MainWindow& window) : folder_(folder), window_(window) {}

  void window(const char* name) { save(name, grabWindow()); }

  // The window dimmed, with the sheet on top where a sheet slides in.
  void sheet(const char* name, QWidget* sheet) {
    if (sheet == nullptr) return fail(name);
    wait(150);
    QPixmap picture = grabWindow();
    QPainter painter(&picture);
    const QSize size = QSize(picture.width(), picture.height()) / picture.devicePixelRatio();
    painter.fillRect(QRect(QPoint(0, 0), size), QColor(0, 0, 0, 60));
    const QPixmap shot = sheet->grab();
    const QSize sheetSize = shot.size() / shot.devicePixelRatio();
    const QPoint at((size.width() - sheetSize.width()) / 2, 0);
    shadow(painter, QRect(at, sheetSize));
    painter.drawPixmap(at, shot);
    painter.end();
    save(name, picture);
  }

  // The window with the popover where it shows.
  void popover(const char* name, QWidget* popover) {
    if (popover == nullptr) return fail(name);
    wait(150);
    QPixmap picture = grabWindow();
    QPainter painter(&picture);
    const QPoint at = popover->mapToGlobal(QPoint(0, 0)) - window_.mapToGlobal(QPoint(0, 0));
    painter.drawPixmap(at, popover->grab());
    painter.end();
    save(name, picture);
  }

  void free(const char* name, QWidget* widget) {
    if (widget == nullptr) return fail(name);
    wait(150);
    save(name, widget->grab());
  }

  void fail(const char* name) { failed_.push_back(name); }
  const std::vector<std::string>& failed() const { return failed_; }
  int taken() const { return taken_; }

 private:
  QPixmap grabWindow() {
    wait(80);
    return window_.grab();
  }

  static void shadow(QPainter& painter, const QRect& box) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 12; i > 0; i -= 2) {
      QPainterPath path;
      path.addRoundedRect(QRectF(box).adjusted(-i, -i / 2.0, i, i), 8 + i, 8 + i);
      painter.fillPath(path, QColor(0, 0, 0, 10));
    }
    painter.restore();
  }

  void save(const char* name, const QPixmap& picture) {
    const QString file = QString::fromStdString(folder_) + "/" + name + ".png";
    if (picture.isNull() || !picture.save(file, "PNG")) return fail(name);
    ++taken_;
  }

  std::string folder_;
  MainWindow& window_;
  std::vector<std::string> failed_;
  int taken_ = 0;
};

template <typename T>
T* current(MainWindow& window) {
  return dynamic_cast<T*>(window.viewController()->currentPage());
}

}  // namespace

std::unique_ptr<TourWorkspace> TourWorkspace::create(const std::string& outputFolder) {
  std::unique_ptr<TourWorkspace> workspace(new TourWorkspace);
  std::error_code error;
  std::filesystem::create_directories(outputFolder, error);
  if (error) {
    std::cerr << "vimbrel: cannot create " << outputFolder << ": " << error.message() << "\n";
    return nullptr;
  }
  workspace->output_ = std::filesystem::absolute(outputFolder).lexically_normal().string();
  std::string pattern = (std::filesystem::temp_directory_path() / "vimbrel-tour-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::cerr << "vimbrel: cannot create a folder for the tour's demo home\n";
    return nullptr;
  }
  workspace->workspace_ = pattern;
  workspace->root_ = pattern + "/root";
  workspace->settings_ = pattern + "/config/vimbrel";
  workspace->loginName_ = userLoginName();
  if (workspace->loginName_.empty()) workspace->loginName_ = "demo";
  ::setenv("XDG_CONFIG_HOME", (pattern + "/config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (pattern + "/data").c_str(), 1);
  return workspace;
}

TourWorkspace::~TourWorkspace() {
  if (workspace_.empty()) return;
  demo::clearDemoTree(root_);
  std::error_code ignored;
  std::filesystem::remove_all(workspace_, ignored);
}

int runTour(const TourWorkspace& workspace) {
  const Status generated = demo::generateDemoHome(workspace.root(), {workspace.loginName(), 0, 0});
  if (!generated.isOk()) {
    std::cerr << "vimbrel: the tour's demo home could not be written: " << generated.message()
              << "\n";
    return 1;
  }
  QuietViewer viewer;
  QuietOpener opener;
  QuietSounds sounds;
  PosixFileSystem desktopFileSystem;
  UnhurriedFileSystem fileSystem(desktopFileSystem);
  AppServices services;
  services.fileSystem = &fileSystem;
  services.fileViewer = &viewer;
  services.urlOpener = &opener;
  services.sounds = &sounds;
  services.loginName = workspace.loginName();
  services.homeFolder = demo::demoHomeFolder(workspace.root(), workspace.loginName());
  services.terminate = [] {};
  services.endProcess = [](int) {};
  auto store = openPlistSettingsStore(workspace.settings(), domains::kApplication);
  SettingsStore& settings = *store;
  AppDelegate delegate(std::move(store), services, {.startFramework = false});
  delegate.applicationDidFinishLaunching();
  MainWindow& window = *delegate.window();
  window.resize(800, 560);
  Photographer camera(workspace.output(), window);

  // First launch: no grants yet, so the access sheet comes up.
  window.show();
  waitUntil([&] { return window.isVisible(); }, 5000);
  wait(300);
  ViewController& controller = *window.viewController();
  camera.sheet("Sandbox", controller.viewcontrollerS());
  // The sheet quits when closed; the tour grants the folders behind its back.
  if (QDialog* sheet = controller.viewcontrollerS()) {
    sheet->hide();
    sheet->deleteLater();
  }
  settings.setBlob(keys::kHome, createGrant(services.homeFolder));
  settings.setBlob(keys::kApplications,
                   createGrant(demo::demoApplicationsFolder(workspace.root())));
  settings.synchronize();
  wait(200);
  camera.window("Home");

  delegate.center().post(notifications::kApplicationsViewController);
  if (auto* page = current<ApplicationsViewController>(window)) {
    ApplicationsModel* model = page->model();
    for (int row = 0; row < model->rowCount(); ++row) {
      if (model->recordAt(row)->label == "Tool") {
        page->tableviewA()->setCurrentIndex(model->index(row));
        break;
      }
    }
    page->tableviewA()->setFocus();
    camera.window("Applications");
    camera.sheet("Installedapps", controller.presentSheet("Installedapps"));
    for (auto* sheet : window.findChildren<QDialog*>()) sheet->close();
    page->remainder_next();
  } else {
    camera.fail("Applications");
    camera.fail("Installedapps");
  }

  auto* review = current<RemainderViewController>(window);
  if (review != nullptr) {
    camera.window("Remainder");
    waitUntil([&] { return review->isReady(); }, 60000);
    wait(100);
    camera.window("Remainder-ready");
    camera.sheet("Launched", controller.presentSheet("Launched"));
    for (auto* sheet : window.findChildren<QDialog*>()) sheet->close();
    // Keep one entry, remove the rest.
    for (std::size_t row = 0; row < review->files().size(); ++row) {
      if (review->files()[row].isFileLocation() &&
          review->files()[row].text().find("Tool Data") != std::string::npos) {
        review->select_to_remove(row, false);
      }
    }
    review->remove();
    waitUntil([&] { return review->busy(); }, 5000);
    wait(400);
    camera.window("Removing");
    fileSystem.slow = false;
    waitUntil([&] { return current<RemoveViewController>(window) != nullptr; }, 60000);
  } else {
    for (const char* name : {"Remainder", "Remainder-ready", "Launched", "Removing"}) {
      camera.fail(name);
    }
  }

  auto* result = current<RemoveViewController>(window);
  if (result != nullptr) {
    wait(200);
    camera.window("Remove");
    delegate.state().set_remainder_survivors(
        {{services.homeFolder + "/Desktop/Tool.txt", "Permission denied"}});
    result->showPopover("CantRemove", RemoveViewController::cantRemoveRect());
    camera.popover("CantRemove", result->popover());
    result->close_rate_app();
    settings.setInteger(keys::kRemoveAppCount, 10);
    result->showPopover("RateApp", RemoveViewController::rateRect());
    camera.popover("RateApp", result->popover());
    result->close_rate_app();
    settings.setInteger(keys::kAppLaunchCount, 10);
    camera.sheet("RateAppCount", controller.presentSheet("RateAppCount"));
    for (auto* sheet : window.findChildren<QDialog*>()) sheet->close();
  } else {
    for (const char* name : {"Remove", "CantRemove", "RateApp", "RateAppCount"}) camera.fail(name);
  }

  // The preferences window, built at start-up, with each of its pages.
  delegate.showPreferences();
  if (auto* preferences = dynamic_cast<PreferencesWindowController*>(delegate.preferences())) {
    preferences->selectPage("PreferencesMain");
    camera.free("PreferencesMain", preferences);
    preferences->selectPage("PreferencesFolders");
    camera.free("PreferencesFolders", preferences);
    preferences->selectPage("PreferencesSpider");
    camera.free("PreferencesSpider", preferences);
    preferences->close();
  } else {
    for (const char* name : {"PreferencesMain", "PreferencesFolders", "PreferencesSpider"}) {
      camera.fail(name);
    }
  }

  // The extensions hub and its lists, with the whole demo disk allowed.
  settings.setBlob(keys::kMacOS, createGrant(workspace.root()));
  settings.setInteger(keys::kAllowAny, 1);
  settings.synchronize();
  delegate.center().post(notifications::kExtensionsViewController);
  camera.window("Extensions");
  struct ListShots {
    const char* notification;
    const char* page;
    const char* selected;
    const char* popover;
    const char* emptySheet;
  };
  for (const ListShots& list :
       {ListShots{notifications::kPluginsViewController, "Plugins", "Page Viewer", "MorePlugins",
                  "InstalledBundles"},
        ListShots{notifications::kPrefpanesViewController, "PrefPanes", "Mouse Tuner",
                  "MorePrefpanes", "InstalledPrefpanes"},
        ListShots{notifications::kSafariExtensionsViewController, "SafariExtensions", "Clipper",
                  nullptr, "InstalledSafariExtensions"}}) {
    delegate.center().post(list.notification);
    auto* page = current<ExtensionListViewController>(window);
    if (page == nullptr) {
      camera.fail(list.page);
      continue;
    }
    extensions::ExtensionList& logic = page->logic();
    waitUntil(
        [&] {
          for (std::size_t row = 0; row < logic.numberOfRows(); ++row) {
            if (!logic.row(row).size) return false;
          }
          return true;
        },
        10000);
    for (std::size_t row = 0; row < logic.numberOfRows(); ++row) {
      if (logic.row(row).label == list.selected) {
        page->table()->setCurrentIndex(page->table()->model()->index(static_cast<int>(row), 0));
      }
    }
    page->table()->setFocus();
    camera.window(list.page);
    if (list.popover != nullptr) {
      page->showPopover(list.popover);
      camera.popover(list.popover, page->popover());
      if (page->popover()) page->popover()->close();
    }
    camera.sheet(list.emptySheet, controller.presentSheet(list.emptySheet));
    for (auto* sheet : window.findChildren<QDialog*>()) sheet->close();
    if (list.popover == nullptr) {
      camera.sheet("LaunchedSafariExtensions", controller.presentSheet("LaunchedSafariExtensions"));
      for (auto* sheet : window.findChildren<QDialog*>()) sheet->close();
      page->showPopover("BundleCantRemove");
      camera.popover("BundleCantRemove", page->popover());
      if (page->popover()) page->popover()->close();
    }
  }

  // The whole-disk sheet, as the shortcut presents it.
  camera.sheet("OptionalPreferences", controller.presentSheet("OptionalPreferences"));
  for (auto* sheet : window.findChildren<QDialog*>()) sheet->close();

  delegate.showAbout();
  camera.free("About", delegate.about());

  // The agent's windows, on settings of their own with no grant yet.
  {
    QuietChooser chooser;
    auto agentStore = openPlistSettingsStore(workspace.settings() + "-spider", domains::kAgent);
    agentStore->setInteger(keys::kRemoveAppCount, 30);
    spider::QtAgentWindows agent(*agentStore, workspace.loginName(), services.homeFolder, chooser,
                                 opener);
    agent.showSandbox();
    camera.free("SpiderSandbox", agent.windowcontrollerS());
    agent.showSpiderOptional();
    camera.free("SpiderOptional", agent.windowcontrollerU());
    agent.showLikeApp();
    camera.free("LikeApp", agent.windowcontrollerL());
  }

  // The framework's prompts, each as it shows itself.
  for (const char* name : {"RTKHappinessWindow", "RTKRateWindow", "RTKFeedbackWindow",
                           "RTKThanksWindow", "EmailAlert"}) {
    std::unique_ptr<QWidget> prompt(RavellToolKit::sharedInstance().buildPromptWindow(name));
    if (prompt) prompt->show();
    camera.free(name, prompt.get());
  }

  const std::vector<std::string>& failed = camera.failed();
  std::cout << "vimbrel: " << camera.taken() << " pictures in " << workspace.output() << "\n";
  if (failed.empty()) return 0;
  std::cerr << "vimbrel: these pictures could not be taken:";
  for (const std::string& name : failed) std::cerr << ' ' << name;
  std::cerr << "\n";
  return 1;
}

}  // namespace vimbrel
