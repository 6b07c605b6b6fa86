#include "Leftovers.h"

#include <string_view>

#include "BundleWriter.h"
#include "DemoApplications.h"

namespace vimbrel::demo {

namespace {

constexpr std::size_t kKiB = 1024;

// A ten-character team identifier drawn from the text, as group containers use.
std::string teamIdentifier(std::string_view text) {
  static constexpr std::string_view kAlphabet = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
  DemoRandom random(seedOf(text));
  std::string team;
  for (int i = 0; i < 10; ++i) team += kAlphabet[random.next() % kAlphabet.size()];
  return team;
}

std::string launchPlist(std::string_view label, std::string_view program) {
  PlistValue plist = PlistValue::dictionary();
  plist.set("Label", label);
  PlistValue arguments = PlistValue::array();
  arguments.append(program);
  plist.set("ProgramArguments", std::move(arguments));
  plist.setBool("RunAtLoad", true);
  return plist.serialize(PlistFormat::Xml);
}

std::string logText(std::string_view name, std::size_t lines) {
  std::string text;
  for (std::size_t line = 0; line < lines; ++line) {
    text += "2024-03-0" + std::to_string(1 + line % 9) + " 10:" + std::to_string(10 + line % 50) +
            ":00 " + std::string(name) + "[" + std::to_string(400 + line % 97) +
            "] checked for updates: none\n";
  }
  return text;
}

// Writes the leftovers that the bits of one application ask for.
class AppLeftovers {
 public:
  AppLeftovers(TreeWriter& writer, const std::string& home, const DemoApp& app)
      : w_(writer),
        library_(home + "/Library/"),
        home_(home),
        app_(app),
        name_(app.folderName()),
        id_(app.bundle.identifier.value_or("")),
        random_(seedOf(app.location)) {}

  void write() {
    if (has(kApplicationSupport)) applicationSupport();
    if (has(kLogs)) logs();
    if (has(kCrashReport)) {
      w_.file(library_ + "Application Support/CrashReporter/" + name_ +
                  "_0F3A6C2E-5B1D-4E7A-9C88-1D2E3F405162.plist",
              preferenceFile(name_, 600));
    }
    if (has(kDiagnosticReport)) {
      w_.file(library_ + "Logs/DiagnosticReports/" + app_.bundle.executable +
                  "_2024-03-04-101500_Demo-Mac.crash",
              logText(app_.bundle.executable, 80));
    }
    if (has(kDesktopFolder)) {
      w_.fileOfSize(home_ + "/Desktop/" + name_ + "/Notes " + name_ + ".rtf", size(200, 30000),
                    random_.next(), "{\\rtf1");
    }
    if (has(kShared)) {
      w_.fileOfSize("Users/Shared/" + name_ + "/Library/settings.dat", size(100, 50000),
                    random_.next());
    }
    if (has(kSystemSupport)) {
      w_.fileOfSize("Library/Application Support/" + name_ + "/Components/engine.dat",
                    size(10 * kKiB, 400 * kKiB), random_.next());
    }
    if (has(kSystemLogs)) {
      w_.file("Library/Logs/" + name_ + "/install.log", logText(name_, 40));
    }
    if (!id_.empty()) identifiedLeftovers();
  }

 private:
  bool has(Leftover bit) const { return (app_.leftovers & bit) != 0; }
  std::size_t size(std::size_t low, std::size_t high) { return random_.logUniform(low, high); }

  void applicationSupport() {
    const std::string folder = library_ + "Application Support/" + name_;
    w_.fileOfSize(folder + "/" + name_ + ".db", size(20 * kKiB, 1200 * kKiB), random_.next(),
                  "SQLite format 3");
    w_.file(
        folder + "/Settings/config.json",
        "{\n  \"firstRun\": false,\n  \"theme\": \"light\",\n  \"name\": \"" + name_ + "\"\n}\n");
    for (int i = 0; i < 3; ++i) {
      w_.fileOfSize(folder + "/Cache/blob-" + std::to_string(i), size(10, 90 * kKiB),
                    random_.next());
    }
  }

  void logs() {
    const std::string folder = library_ + "Logs/" + name_;
    w_.file(folder + "/" + name_ + ".log", logText(name_, 30 + random_.next() % 300));
    w_.file(folder + "/" + name_ + ".1.log", logText(name_, 10 + random_.next() % 100));
  }

  void identifiedLeftovers() {
    if (has(kPreferences)) {
      w_.file(library_ + "Preferences/" + id_ + ".plist", preferenceFile(id_, size(200, 40000)));
    }
    if (has(kCaches)) {
      w_.fileOfSize(library_ + "Caches/" + id_ + "/Cache.db", size(4 * kKiB, 800 * kKiB),
                    random_.next(), "SQLite format 3");
      w_.fileOfSize(library_ + "Caches/" + id_ + "/fsCachedData/5E1F0A3B", size(100, 60 * kKiB),
                    random_.next());
    }
    if (has(kContainers)) {
      const std::string data = library_ + "Containers/" + id_ + "/Data";
      w_.file(library_ + "Containers/" + id_ + "/.com.apple.containermanagerd.metadata.plist",
              preferenceFile(id_ + ".metadata", 900));
      w_.file(data + "/Library/Preferences/" + id_ + ".plist", preferenceFile(id_, 1200));
      w_.fileOfSize(data + "/Documents/Untitled.data", size(1, 300 * kKiB), random_.next());
    }
    if (has(kSavedState)) {
      const std::string state = library_ + "Saved Application State/" + id_ + ".savedState";
      w_.fileOfSize(state + "/windows.plist", size(300, 4 * kKiB), random_.next(), "bplist00");
      w_.fileOfSize(state + "/data.data", size(1 * kKiB, 40 * kKiB), random_.next());
    }
    if (has(kCookies)) {
      w_.fileOfSize(library_ + "Cookies/" + id_ + ".binarycookies", size(100, 20 * kKiB),
                    random_.next(), "cook");
    }
    if (has(kScripts)) {
      w_.file(library_ + "Application Scripts/" + id_ + "/Export.applescript",
              "tell application \"" + name_ + "\" to activate\n");
    }
    if (has(kGroupContainer)) {
      const std::string group = teamIdentifier(id_) + "." + id_;
      w_.file(library_ + "Group Containers/" + group + "/Library/Preferences/" + group + ".plist",
              preferenceFile(group, 800));
    }
    if (has(kLaunchAgent)) {
      w_.file(library_ + "LaunchAgents/" + id_ + ".helper.plist",
              launchPlist(id_ + ".helper", "/Applications/" + app_.location + "/Contents/MacOS/" +
                                               app_.bundle.executable));
    }
    if (has(kWebKit)) {
      w_.fileOfSize(library_ + "WebKit/" + id_ + "/WebsiteData/LocalStorage/file__0.localstorage",
                    size(2 * kKiB, 200 * kKiB), random_.next(), "SQLite format 3");
    }
    if (has(kHelpIndex)) {
      w_.fileOfSize(library_ + "Caches/com.apple.helpd/Generated/" + id_ + ".help*" +
                        app_.bundle.version + "/index.helpindex",
                    size(1 * kKiB, 100 * kKiB), random_.next());
    }
    if (has(kSystemLaunchAgent)) {
      w_.file("Library/LaunchAgents/" + id_ + ".agent.plist", launchPlist(id_ + ".agent", name_));
    }
    if (has(kSystemDaemon)) {
      w_.file("Library/LaunchDaemons/" + id_ + ".daemon.plist",
              launchPlist(id_ + ".daemon", "/Library/PrivilegedHelperTools/" + id_ + ".helper"));
    }
    if (has(kPrivilegedTool)) {
      w_.fileOfSize("Library/PrivilegedHelperTools/" + id_ + ".helper", size(40 * kKiB, 300 * kKiB),
                    random_.next(), "\xcf\xfa\xed\xfe", /*executable=*/true);
    }
    if (has(kVarFolders)) {
      const std::string user = kVarFoldersUser;
      w_.fileOfSize(user + "/C/" + id_ + "/com.apple.metal/libraries.data",
                    size(1 * kKiB, 500 * kKiB), random_.next());
      w_.fileOfSize(user + "/T/" + id_ + "/scratch.tmp", size(1, 8 * kKiB), random_.next());
    }
    if (has(kVarRun))
      w_.file("var/run/" + id_ + ".pid", std::to_string(300 + random_.next() % 9000) + "\n");
    if (has(kVarDb)) {
      w_.fileOfSize("var/db/receipts/" + id_ + ".bom", size(1 * kKiB, 30 * kKiB), random_.next(),
                    "BOMStore");
      w_.file("var/db/receipts/" + id_ + ".plist", preferenceFile(id_ + ".receipt", 500));
    }
  }

  TreeWriter& w_;
  std::string library_;
  std::string home_;
  const DemoApp& app_;
  std::string name_;
  std::string id_;
  DemoRandom random_;
};

// The cases that exercise one rule each, beyond the conventional layout.
void writeSpecialCases(TreeWriter& w, const std::string& home) {
  const std::string library = home + "/Library/";
  const std::string support = library + "Application Support/";
  // The label-number rule: "Tool Data", "Tool Updates" and the identifier
  // folder belong to Tool, "Tool 2" does not.
  w.fileOfSize(support + "Tool Data/library.db", 150 * kKiB, 11, "SQLite format 3");
  w.file(support + "Tool Updates/pending.json", "{\"pending\": []}\n");
  w.fileOfSize(support + "Tool 2/Tool 2.db", 64 * kKiB, 12, "SQLite format 3");
  w.file(support + "com.example.Tool/state.json", "{\"window\": [0, 0, 800, 600]}\n");
  // Hidden entries inside and beside leftovers: never listed, never counted.
  w.file(support + "Tool/.hidden-leftover", std::string(5000, 'x'));
  w.file(support + "Tool/.DS_Store", std::string(6148, '\0'));
  w.file(library + "Preferences/.com.example.Tool.plist.lockfile", "");
  w.file(library + "Caches/.hidden-leftover", "com.example.Tool\n");
  // Links inside a leftover: a loop and one that leaves the tree. Sizes count
  // the link itself, never what it points at.
  w.symlink(support + "Tool/loop", ".");
  w.symlink(support + "Tool/Cache/loop-back", "../Cache");
  w.symlink(support + "Tool/outside", "/usr/share/common-licenses");
  // An empty leftover folder.
  w.folder(support + "Brightline");
  // A crash report of Tool found by the CrashReporter step, not by step 4.
  w.file(support + "CrashReporter/Tool_2024-03-04-101500_Demo-Mac.plist",
         preferenceFile("Tool.crash", 400));
  // Tool's Services and Address Book plug-in (both matched by label).
  w.file(library + "Services/Tool Actions.workflow/Contents/document.wflow",
         preferenceFile("Tool Actions", 1500));
  // Desktop: a document named like an application is not taken.
  w.file(home + "/Desktop/Tool.txt", "A document about Tool, not part of it.\n");
  w.file(home + "/Desktop/Café Menu.pdf", "%PDF-1.4\n% not an application folder\n");
  // The accented desktop folder in decomposed form (e + combining acute).
  w.file(home + "/Desktop/Cafe\xcc\x81 Menu Recipes/menu.txt", "Soup of the day\n");
  // The "Pro" edition's preference beside the normal edition's.
  w.file(library + "Preferences/com.lumenworks.PhotoForgePro.LSSharedFileList.plist",
         preferenceFile("com.lumenworks.PhotoForgePro.LSSharedFileList", 700));
  w.file(library + "Preferences/com.lumenworks.PhotoForge.LSSharedFileList.plist",
         preferenceFile("com.lumenworks.PhotoForge.LSSharedFileList", 600));
  // Found by company: Library/<Company>, the CSXS logs, Caches/<Label>.
  w.file(library + "Lumenworks/Brushes/default.brushset", std::string(3000, 'b'));
  w.file(library + "Blinkworks/license.key", "BLINK-0000-DEMO\n");
  w.file(library + "Logs/CSXS/Lumenworks.log", logText("Lumenworks", 20));
  w.file(library + "Caches/Tool/cache.bin", std::string(777, 'c'));
  // Syncwell's own login item: its containers (without a header) and scripts.
  w.file(library + "Containers/net.syncwell.launcher/Data/Library/Preferences/launcher.plist",
         preferenceFile("net.syncwell.launcher", 500));
  w.file(library + "Containers/net.syncwell.launcher-Plus/Data/placeholder", "plus edition\n");
  w.file(library + "Application Scripts/net.syncwell.launcher/Sync.scpt", "-- sync\n");
  // The developer tools keep data in Library/Developer.
  w.fileOfSize(library + "Developer/Xcode/DerivedData/Demo-abcdefgh/Index/index.db", 400 * kKiB,
               21);
  w.file(library + "Developer/Xcode/UserData/IDETemplateMacros.plist",
         preferenceFile("IDETemplateMacros", 300));
  // Safari's own data folder in the home Library.
  w.fileOfSize(library + "Safari/History.db", 420 * kKiB, 22, "SQLite format 3");
  w.file(library + "Safari/Bookmarks.plist", preferenceFile("Bookmarks", 5000));
  // Scratchpad has no identifier: its preference is found by name alone.
  w.file(library + "Preferences/Scratchpad.plist", preferenceFile("Scratchpad", 400));
  // Below var/db: found by the deep listing of the var data folders.
  w.file("var/db/Framepack/state.plist", preferenceFile("Framepack", 300));
}

// Files of other vendors, named so that no demo application matches them.
void writeOtherVendors(TreeWriter& w, const std::string& home) {
  const std::string library = home + "/Library/";
  w.file(library + "Preferences/com.northwind.Widget.plist",
         preferenceFile("com.northwind.Widget", 900));
  w.file(library + "Preferences/loginwindow.plist", preferenceFile("loginwindow", 300));
  w.file(library + "Preferences/.GlobalPreferences.plist", preferenceFile("global", 2000));
  w.fileOfSize(library + "Application Support/Widget Studio/widgets.db", 48 * kKiB, 31,
               "SQLite format 3");
  w.file(library + "Application Support/AddressBook/Metadata/.info", "");
  w.fileOfSize(library + "Caches/com.northwind.Widget/Cache.db", 12 * kKiB, 32, "SQLite format 3");
  w.file(library + "Containers/com.northwind.Widget/Data/.keep", "");
  w.file(library + "LaunchAgents/org.nightjar.Backup.plist",
         launchPlist("org.nightjar.Backup", "backupd"));
  w.file(library + "Logs/Nightjar/backup.log", logText("nightjar", 25));
  w.file(library + "Cookies/Cookies.binarycookies", std::string(512, 'k'));
  w.file(home + "/Desktop/Holiday Photos/beach.jpg", std::string(2048, 'j'));
  w.file(home + "/Desktop/.DS_Store", std::string(6148, '\0'));
  w.file(home + "/Desktop/.hidden-leftover", "com.example.Tool\n");
  w.file("Library/LaunchDaemons/org.nightjar.backupd.plist",
         launchPlist("org.nightjar.backupd", "backupd"));
  w.file("Library/Application Support/Nightjar/catalog.db", std::string(4096, 'n'));
  w.file("Library/Logs/install.log", logText("installer", 50));
  w.file("Users/Shared/.localized", "");
  w.file("var/run/syslog.pid", "99\n");
  w.file(std::string(kVarFoldersUser) + "/C/com.northwind.Widget/cache.data",
         std::string(300, 'w'));
  w.folder(std::string(kVarFoldersUser) + "/0/com.apple.LaunchServices.dv");
}

// The folders that exist in every home, leftovers or not.
void writeHomeSkeleton(TreeWriter& w, const std::string& home) {
  static constexpr const char* kLibraryFolders[] = {"Preferences",
                                                    "Application Support",
                                                    "Application Scripts",
                                                    "Containers",
                                                    "Caches",
                                                    "Cookies",
                                                    "LaunchAgents",
                                                    "Logs",
                                                    "Saved Application State",
                                                    "Group Containers",
                                                    "Services",
                                                    "WebKit",
                                                    "Address Book Plug-Ins",
                                                    "PreferencePanes",
                                                    "Internet Plug-Ins"};
  for (const char* folder : kLibraryFolders) w.folder(home + "/Library/" + folder);
  for (const char* folder : {"Desktop", "Documents", "Downloads", ".Trash"}) {
    w.folder(home + "/" + folder);
  }
  for (const char* folder : {"Application Support", "LaunchAgents", "LaunchDaemons",
                             "PrivilegedHelperTools", "Logs", "Internet Plug-Ins", "Spotlight",
                             "QuickLook", "PreferencePanes", "Address Book Plug-Ins"}) {
    w.folder(std::string("Library/") + folder);
  }
  for (const char* folder : {"var/db", "var/run", "var/folders"}) w.folder(folder);
}

}  // namespace

void writeLeftovers(TreeWriter& writer, const std::string& home) {
  writeHomeSkeleton(writer, home);
  for (const DemoApp& app : demoApplications()) AppLeftovers(writer, home, app).write();
  writeSpecialCases(writer, home);
  writeOtherVendors(writer, home);
}

}  // namespace vimbrel::demo
