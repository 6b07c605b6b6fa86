#include "ExtensionsTree.h"

#include <optional>
#include <string_view>

#include "BundleWriter.h"

namespace vimbrel::demo {

namespace {

constexpr std::size_t kKiB = 1024;

void plugin(TreeWriter& w, const std::string& path, std::optional<std::string> identifier,
            std::optional<std::string> name, std::string iconFile = {}) {
  BundleSpec spec;
  spec.identifier = std::move(identifier);
  spec.name = std::move(name);
  spec.packageType = "BNDL";
  spec.iconFile = std::move(iconFile);
  const auto slash = path.rfind('/');
  const auto dot = path.rfind('.');
  spec.executable = path.substr(slash + 1, dot - slash - 1);
  spec.executableBytes = DemoRandom(seedOf(path)).logUniform(8 * kKiB, 240 * kKiB);
  writeBundle(w, path, spec);
}

void writePlugins(TreeWriter& w, const std::string& home) {
  const std::string user = home + "/Library/";
  // The user's folders: only address-book plug-ins and preference panes are
  // looked at there; the others are present so that their absence shows.
  plugin(w, user + "Address Book Plug-Ins/Contact Sync.bundle", "com.contactsync.addressbook",
         "Contact Sync");
  plugin(w, user + "Address Book Plug-Ins/Tool Lookup.bundle", "com.example.Tool.lookup",
         "Tool Lookup");
  w.file(user + "Address Book Plug-Ins/ReadMe.txt", "Plug-ins for the address book.\n");
  plugin(w, user + "PreferencePanes/Flux Dial.prefPane", "com.fluxdial.prefpane", "Flux Dial",
         "Pane.icns");
  plugin(w, user + "PreferencePanes/Old Pane.PrefPane", "com.oldpane.prefpane", "Old Pane");
  plugin(w, user + "Internet Plug-Ins/Home Player.plugin", "com.homeplayer.plugin", "Home Player");
  plugin(w, user + "Spotlight/Notes Importer.mdimporter", "com.notes.importer", "Notes Importer");
  plugin(w, user + "QuickLook/Home Preview.qlgenerator", "com.homepreview.qlgenerator",
         "Home Preview");
  // Leftovers of the user's preference pane, which is searched like an app.
  w.file(user + "Preferences/com.fluxdial.prefpane.plist",
         preferenceFile("com.fluxdial.prefpane", 700));
  w.file(user + "Application Support/Flux Dial/dial.cfg", "sensitivity = 4\n");

  // The system's folders.
  plugin(w, "Library/Internet Plug-Ins/Page Viewer.plugin", "com.pageviewer.plugin", "Page Viewer");
  plugin(w, "Library/Internet Plug-Ins/Tool.WebPlugin", "com.example.Tool.webplugin", "Tool");
  plugin(w, "Library/Internet Plug-Ins/Media Stream.webplugin", "com.mediastream.webplugin",
         "My Plug In");
  plugin(w, "Library/Internet Plug-Ins/com.vendor.tool.plugin", "com.vendor.tool", "Vendor Tool");
  plugin(w, "Library/Internet Plug-Ins/Bare.plugin", "com.bare.plugin", std::nullopt);
  w.file("Library/Internet Plug-Ins/No Info.plugin/Contents/MacOS/No Info", std::string(1000, 'n'));
  w.file("Library/Internet Plug-Ins/.hidden.plugin/Contents/Info.plist", "");
  plugin(w, "Library/Spotlight/Markdown.mdimporter", "com.acme.tools.importer", "Markdown");
  plugin(w, "Library/Spotlight/Tool.MDImporter", "com.example.Tool.importer", "Tool");
  plugin(w, "Library/QuickLook/Sketch Preview.qlgenerator", "acme", "Sketch Preview");
  plugin(w, "Library/Address Book Plug-Ins/Directory Lookup.bundle", "com.directory.lookup",
         "Directory Lookup");
  plugin(w, "Library/PreferencePanes/Flux Dial.prefPane", "com.fluxdial.prefpane", "Flux Dial",
         "Pane");
  plugin(w, "Library/PreferencePanes/Mouse Tuner.prefPane", "com.mousetuner.MouseTuner",
         "Mouse Tuner", "Pane.icns");
}

struct SafariEntry {
  const char* archive;
  const char* identifier;
  bool enabled;
  bool archivePresent;
};

constexpr SafariEntry kSafariEntries[] = {
    {"Clipper.safariextz", "com.example.clipper.safari", true, true},
    {"zeta.safariextz", "com.zetasoft.zeta", true, true},
    {"My.Tool-1.2.safariextz", "com.mytool.safari", true, true},
    {"Alpha Blocker.safariextz", "com.alphablock.Blocker", false, true},
    {"Solo.safariextz", "solo", true, true},
    {"Gone.safariextz", "com.example.gone", true, false},
};

std::string bundleDirectoryName(std::string_view archive) {
  return std::string(archive.substr(0, archive.rfind('.'))) + ".safariextension";
}

void writeSafari(TreeWriter& w, const std::string& home) {
  const std::string extensions = home + "/Library/Safari/Extensions/";
  PlistValue installed = PlistValue::array();
  for (const SafariEntry& entry : kSafariEntries) {
    PlistValue item = PlistValue::dictionary();
    item.set("Archive File Name", entry.archive);
    item.set("Bundle Directory Name", bundleDirectoryName(entry.archive));
    item.setBool("Enabled", entry.enabled);
    item.set("Bundle Identifier", entry.identifier);
    item.set("Developer Identifier", "DEMO123456");
    installed.append(std::move(item));
    if (entry.archivePresent) {
      w.fileOfSize(extensions + entry.archive,
                   DemoRandom(seedOf(entry.archive)).logUniform(20 * kKiB, 400 * kKiB),
                   seedOf(entry.identifier), "xar!");
    }
  }
  PlistValue updates = PlistValue::dictionary();
  updates.set("Updates List", PlistValue::array());
  PlistValue list = PlistValue::dictionary();
  list.set("Available Updates", std::move(updates));
  list.set("Installed Extensions", std::move(installed));
  list.setInteger("Version", 1);
  w.file(extensions + "Extensions.plist", list.serialize(PlistFormat::Binary));
  w.file(extensions + ".DS_Store", std::string(6148, '\0'));
  w.fileOfSize(home +
                   "/Library/Safari/LocalStorage/"
                   "safari-extension_com.example.clipper.safari-0000000000_0.localstorage",
               24 * kKiB, 41, "SQLite format 3");
}

}  // namespace

void writeExtensions(TreeWriter& writer, const std::string& home) {
  writePlugins(writer, home);
  writeSafari(writer, home);
}

}  // namespace vimbrel::demo
