#include "app/ui/AppDelegate.h"

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QThreadPool>

#include "app/ui/MainWindow.h"
#include "app/ui/PreferencesWindowController.h"
#include "app/ui/Style.h"
#include "engine/SettingsKeys.h"
#include "platform/RunningApplications.h"
#include "platform/User.h"
#include "platform/XdgLoginItem.h"
#include "platform/ui/QtFolderChooser.h"
#include "ravell/Ravell.h"
#include "ravell/RavellAnalyticsKit.h"
#include "ravell/RavellToolKit.h"

#ifndef VIMBREL_SOURCE_RESOURCES
#define VIMBREL_SOURCE_RESOURCES ""
#endif

namespace vimbrel {

namespace {

// Keeps a default service alive for the delegate's life and returns it.
template <typename Service, typename Interface>
Interface* own(std::vector<std::shared_ptr<void>>& owned, Interface* given) {
  if (given != nullptr) return given;
  auto service = std::make_shared<Service>();
  owned.push_back(service);
  return service.get();
}

// The folder panel over the main window, made when first asked.
class MainWindowFolderChooser final : public FolderChooser {
 public:
  explicit MainWindowFolderChooser(AppDelegate& delegate) : delegate_(delegate) {}
  std::optional<std::string> chooseFolder(const FolderPanelOptions& options) override {
    return QtFolderChooser(delegate_.window()).chooseFolder(options);
  }

 private:
  AppDelegate& delegate_;
};

// The tabbed preferences window with its pages from "Main", in order.
QWidget* buildPreferencesWindow(const MainStoryboard& storyboard) {
  QList<QWidget*> pages;
  for (const char* identifier : {"PreferencesMain", "PreferencesFolders", "PreferencesSpider"}) {
    if (QWidget* page = storyboard.instantiateControllerWithIdentifier(identifier)) pages << page;
  }
  return new PreferencesWindowController(
      pages, QCoreApplication::translate("PreferencesWindowController", "Preferences"));
}

// The agent program installed beside this program; in a build tree without
// one there, the build's own agent.
AgentProgram spiderAgent() {
  std::string program =
      programBeside(QCoreApplication::applicationFilePath().toStdString(), "vimbrel-spider");
#ifdef VIMBREL_BUILD_AGENT
  if (::access(program.c_str(), X_OK) != 0 && ::access(VIMBREL_BUILD_AGENT, X_OK) == 0) {
    program = VIMBREL_BUILD_AGENT;
  }
#endif
  return {domains::kAgent, "Vimbrel Spider", program};
}

}  // namespace

AppDelegate::AppDelegate(std::unique_ptr<SettingsStore> appSettings, AppServices services,
                         Options options)
    : appSettings_(std::move(appSettings)),
      services_(std::move(services)),
      options_(options),
      storyboard_(*this) {
  services_.fileSystem =
      own<PosixFileSystem, const FileSystem>(ownedServices_, services_.fileSystem);
  services_.fileViewer =
      own<FreedesktopFileViewer, FileViewer>(ownedServices_, services_.fileViewer);
  services_.urlOpener = own<DesktopUrlOpener, UrlOpener>(ownedServices_, services_.urlOpener);
  services_.icons = own<ThemeIconProvider, IconProvider>(ownedServices_, services_.icons);
  services_.sounds = own<CanberraSoundPlayer, SoundPlayer>(ownedServices_, services_.sounds);
  if (services_.folderChooser == nullptr) {
    auto chooser = std::make_shared<MainWindowFolderChooser>(*this);
    ownedServices_.push_back(chooser);
    services_.folderChooser = chooser.get();
  }
  if (services_.sharedSettings == nullptr) {
    std::shared_ptr<SettingsStore> shared =
        openPlistSettingsStore(settingsFolder(), domains::kShared);
    ownedServices_.push_back(shared);
    services_.sharedSettings = shared.get();
  }
  if (services_.agentSettings == nullptr) {
    std::shared_ptr<SettingsStore> agent =
        openPlistSettingsStore(settingsFolder(), domains::kAgent);
    ownedServices_.push_back(agent);
    services_.agentSettings = agent.get();
  }
  if (services_.loginItem == nullptr) {
    auto loginItem = std::make_shared<XdgLoginItem>(spiderAgent(), autostartFolder());
    ownedServices_.push_back(loginItem);
    services_.loginItem = loginItem.get();
  }
  if (!services_.isRunning) services_.isRunning = isApplicationRunning;
  if (!services_.terminate) services_.terminate = [] { QApplication::quit(); };
  if (!services_.endProcess) services_.endProcess = [](int status) { QApplication::exit(status); };
  if (services_.loginName.empty()) services_.loginName = userLoginName();
  if (services_.homeFolder.empty()) services_.homeFolder = userHomeFolder();
}

AppDelegate::~AppDelegate() {
  // A search still running reads the settings and the file system held here.
  QThreadPool::globalInstance()->waitForDone();
  delete about_.data();
  delete preferences_.data();
  delete window_.data();
}

void AppDelegate::applicationDidFinishLaunching() {
  const std::int64_t launches = appSettings_->integer(keys::kAppLaunchCount);
  appSettings_->setInteger(keys::kAppLaunchCount, launches + 1);
  appSettings_->synchronize();

  preferences_ = buildPreferencesWindow(storyboard_);

  if (options_.startFramework) {
    Ravell& ravell = Ravell::sharedInstance();
    ravell.setProductId(kProductId);
    ravell.setVendorId(kVendorId);
    ravell.setApiKey(kApiKey);
    RavellAnalyticsKit::startTracking();
  }

  window_ = new MainWindow(*this);
}

void AppDelegate::requestEmailPrompt() {
  static constexpr const char* kSchedule = "3 launches";
  const QString message = QCoreApplication::translate(
      "AppDelegate", "Subscribe to learn more about Vimbrel and more features.");
  if (services_.emailPrompt) {
    services_.emailPrompt(kSchedule, message.toStdString());
  } else if (options_.startFramework) {
    RavellToolKit::sharedInstance().presentEmailSubscribePromptWithSchedule(QString(kSchedule),
                                                                            message);
  }
}

void AppDelegate::terminateApp() {
  services_.terminate();
  // The quit is only requested; with the access sheet up the process ends now.
  if (appSettings_->integer(keys::kPresentAsSheet) == 1) services_.endProcess(0);
}

void AppDelegate::showPreferences() {
  if (!preferences_) return;
  preferences_->show();
  preferences_->raise();
  preferences_->activateWindow();
}

bool AppDelegate::showHelp() {
  const QString exeDir = QCoreApplication::applicationDirPath();
  for (const QString& page :
       {exeDir + "/../share/man/man1/vimbrel.1", exeDir + "/../share/man/man1/vimbrel.1.gz",
        QStringLiteral("/usr/share/man/man1/vimbrel.1.gz"),
        QStringLiteral("/usr/local/share/man/man1/vimbrel.1")}) {
    if (QFileInfo(page).isFile() && services_.urlOpener->openUrl("man:vimbrel(1)")) return true;
  }
  for (const QString& readme :
       {exeDir + "/../share/doc/vimbrel/README.md", exeDir + "/../../README.md",
        QString(VIMBREL_SOURCE_RESOURCES) + "/../../README.md"}) {
    if (QFileInfo(readme).isFile()) {
      return services_.urlOpener->openFile(QDir::cleanPath(readme).toStdString());
    }
  }
  return false;
}

void AppDelegate::showAbout() {
  if (!about_) about_ = storyboard_.instantiateControllerWithIdentifier("About");
  if (!about_) return;
  about_->show();
  about_->raise();
  about_->activateWindow();
}

}  // namespace vimbrel
