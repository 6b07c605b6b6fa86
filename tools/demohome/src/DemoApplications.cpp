#include "DemoApplications.h"

#include <optional>

namespace vimbrel::demo {

namespace {

constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = 1024 * 1024;

DemoApp app(std::string location, std::optional<std::string> identifier,
            std::optional<std::string> name, std::string executable, std::string iconFile,
            std::size_t executableBytes, std::uint32_t leftovers) {
  DemoApp result;
  result.location = std::move(location);
  result.bundle.identifier = std::move(identifier);
  result.bundle.name = std::move(name);
  result.bundle.executable = std::move(executable);
  result.bundle.iconFile = std::move(iconFile);
  result.bundle.executableBytes = executableBytes;
  result.bundle.version =
      std::to_string(1 + executableBytes % 7) + "." + std::to_string(executableBytes % 10) + ".2";
  result.leftovers = leftovers;
  return result;
}

std::vector<DemoApp> buildApplications() {
  std::vector<DemoApp> apps;
  // Platform applications: Safari is dropped unless default apps are included,
  // the media player and the developer tools are kept by the filter.
  apps.push_back(app("Safari.app", "com.apple.Safari", "Safari", "Safari", "AppIcon.icns", 1 * kMiB,
                     kPreferences | kCaches | kContainers | kSavedState | kCookies | kWebKit));
  apps.push_back(app("iTunes.app", "com.apple.iTunes", "iTunes", "iTunes", "iTunes.icns",
                     1536 * kKiB, kUsualHome | kLaunchAgent | kShared));
  apps.push_back(app("Xcode.app", "com.apple.dt.Xcode", "Xcode", "Xcode", "Xcode.icns", 3 * kMiB,
                     kUsualHome | kDiagnosticReport | kVarFolders));
  // The worked example, with its label-number and document distractors.
  apps.push_back(app("Tool.app", "com.example.Tool", "Tool", "Tool", "ToolIcon", 96 * kKiB,
                     kUsualHome | kCookies | kLaunchAgent | kCrashReport | kDiagnosticReport |
                         kWebKit | kHelpIndex | kDesktopFolder | kUsualSystem | kSystemLaunchAgent |
                         kSystemLogs | kVarRun | kVarDb));
  apps.push_back(app("My App.app", "com.example.myapp", "My App", "MyApp", "AppIcon.icns",
                     240 * kKiB, kPreferences | kApplicationSupport | kCaches | kDesktopFolder));
  apps.push_back(app("Scratchpad.app", std::nullopt, "Scratchpad", "Scratchpad", "AppIcon.icns",
                     48 * kKiB, kApplicationSupport | kLogs | kDesktopFolder | kShared));
  apps.push_back(app("Blinker.app", "com.blinkworks.Blinker", std::nullopt, "Blinker",
                     "Blinker.icns", 12 * kKiB, kPreferences | kCaches | kLogs | kVarRun));
  // The one application whose Info.plist is binary.
  DemoApp notarius = app("Notarius.app", "com.quillsoft.Notarius", "Notarius", "Notarius",
                         "AppIcon.icns", 700 * kKiB,
                         kPreferences | kContainers | kScripts | kGroupContainer | kHelpIndex |
                             kCrashReport | kSavedState);
  notarius.bundle.infoFormat = PlistFormat::Binary;
  apps.push_back(std::move(notarius));
  // A normal and a "Pro" edition side by side.
  apps.push_back(app("PhotoForge.app", "com.lumenworks.PhotoForge", "PhotoForge", "PhotoForge",
                     "PhotoForge.icns", 1536 * kKiB,
                     kUsualHome | kContainers | kGroupContainer | kLaunchAgent | kVarFolders));
  apps.push_back(app("PhotoForge Pro.app", "com.lumenworks.PhotoForgePro", "PhotoForge Pro",
                     "PhotoForge Pro", "PhotoForge.icns", 2 * kMiB,
                     kUsualHome | kContainers | kLaunchAgent | kSystemSupport | kVarFolders));
  // Names with accents.
  apps.push_back(app("Café Menu.app", "com.brasserie.CafeMenu", "Café Menu", "CafeMenu",
                     "AppIcon.icns", 180 * kKiB, kUsualHome | kDesktopFolder));
  apps.push_back(app("Über Notes.app", "com.ueberlabs.UberNotes", "Über Notes", "UberNotes",
                     "AppIcon.icns", 320 * kKiB, kPreferences | kApplicationSupport | kCaches));
  // Carries login items in Contents/Library/LoginItems.
  apps.push_back(app("Syncwell.app", "com.syncwell.Syncwell", "Syncwell", "Syncwell",
                     "AppIcon.icns", 900 * kKiB,
                     kUsualHome | kContainers | kScripts | kLaunchAgent | kSystemDaemon |
                         kPrivilegedTool | kVarFolders));
  // One and two folder levels down; three levels down is never listed.
  apps.push_back(app("Brightline/Brightline.app", "com.brightline.Brightline", "Brightline",
                     "Brightline", "AppIcon.icns", 64 * kKiB,
                     kPreferences | kShared | kVarFolders));
  apps.push_back(
      app("Media Kit/Encoders/Framepack.app", "com.mediakit.Framepack", "Framepack", "Framepack",
          "icon.png", 420 * kKiB,
          kPreferences | kCaches | kLogs | kSystemSupport | kSystemLogs | kVarRun | kVarDb));
  apps.push_back(app("Archive/Old/Legacy/Oldtimer.app", "com.example.oldtimer", "Oldtimer",
                     "Oldtimer", "AppIcon.icns", 24 * kKiB, kPreferences));
  // Inside Utilities at each depth; the deepest is never listed.
  apps.push_back(app("Utilities/Disk Gauge.app", "com.gaugeworks.DiskGauge", "Disk Gauge",
                     "DiskGauge", "AppIcon.icns", 150 * kKiB, kPreferences | kApplicationSupport));
  apps.push_back(app("Utilities/Network/Pinger.app", "com.netbits.Pinger", "Pinger", "Pinger",
                     "AppIcon.icns", 36 * kKiB, kPreferences | kCaches | kVarRun));
  apps.push_back(app("Utilities/Network/Diagnostics/Tracer.app", "com.netbits.Tracer", "Tracer",
                     "Tracer", "AppIcon.icns", 52 * kKiB, kPreferences | kLogs));
  apps.push_back(app("Utilities/Vintage/Tapes/Reels/Spooler.app", "com.example.spooler", "Spooler",
                     "Spooler", "AppIcon.icns", 20 * kKiB, kPreferences));
  return apps;
}

// The login items of Syncwell: one whose identifier extends the host's (the
// search skips it) and one of its own (its containers and scripts are found).
void writeLoginItems(TreeWriter& writer) {
  const std::string items = "Applications/Syncwell.app/Contents/Library/LoginItems/";
  BundleSpec helper;
  helper.identifier = "com.syncwell.Syncwell.Helper";
  helper.name = "Syncwell Helper";
  helper.executable = "Syncwell Helper";
  helper.executableBytes = 88 * kKiB;
  writeBundle(writer, items + "Syncwell Helper.app", helper);
  BundleSpec launcher;
  launcher.identifier = "net.syncwell.launcher";
  launcher.name = "Syncwell Launcher";
  launcher.executable = "Syncwell Launcher";
  launcher.executableBytes = 44 * kKiB;
  writeBundle(writer, items + "Syncwell Launcher.app", launcher);
  writer.file(items + "README.txt", "Login items start with the user's session.\n");
}

}  // namespace

std::string DemoApp::label() const {
  const auto slash = location.rfind('/');
  std::string name = slash == std::string::npos ? location : location.substr(slash + 1);
  return name.substr(0, name.size() - 4);  // without ".app"
}

std::string DemoApp::folderName() const { return bundle.name ? *bundle.name : label(); }

const std::vector<DemoApp>& demoApplications() {
  static const std::vector<DemoApp> apps = buildApplications();
  return apps;
}

void writeApplications(TreeWriter& writer) {
  for (const DemoApp& each : demoApplications()) {
    writeBundle(writer, "Applications/" + each.location, each.bundle);
  }
  writeLoginItems(writer);
  // Things in the Applications folder that are no applications.
  writer.file("Applications/.DS_Store", std::string(6148, '\0'));
  writer.file("Applications/.localized", "");
  writer.file("Applications/Brightline/Read Me.rtf",
              "{\\rtf1\\ansi Brightline keeps its data in Users/Shared.}\n");
  writer.file("Applications/Tool.app/Contents/Resources/.hidden-cache", std::string(2048, 'h'));
  writer.folder("Applications/Utilities/Empty Folder");
}

}  // namespace vimbrel::demo
