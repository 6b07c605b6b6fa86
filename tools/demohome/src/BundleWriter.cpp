#include "BundleWriter.h"

#include "IconImage.h"

namespace vimbrel::demo {

namespace {

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string iconBytes(std::string_view iconFile, std::uint64_t seed) {
  const std::string png = makeIconPng(seed, 128);
  return endsWith(iconFile, ".png") ? png : makeIcns(png);
}

// A Mach-O 64-bit magic at the start, so the executable looks like one.
constexpr std::string_view kExecutableMagic("\xcf\xfa\xed\xfe\x07\x00\x00\x01", 8);

}  // namespace

void writeBundle(TreeWriter& writer, std::string_view bundlePath, const BundleSpec& spec) {
  const std::string contents = std::string(bundlePath) + "/Contents";
  const std::uint64_t seed = seedOf(bundlePath);
  if (spec.withInfo) {
    PlistValue info = PlistValue::dictionary();
    info.set("CFBundleDevelopmentRegion", "en");
    if (!spec.executable.empty()) info.set("CFBundleExecutable", spec.executable);
    if (!spec.iconFile.empty()) info.set("CFBundleIconFile", spec.iconFile);
    if (spec.identifier) info.set("CFBundleIdentifier", *spec.identifier);
    info.set("CFBundleInfoDictionaryVersion", "6.0");
    if (spec.name) info.set("CFBundleName", *spec.name);
    info.set("CFBundlePackageType", spec.packageType);
    info.set("CFBundleShortVersionString", spec.version);
    info.set("CFBundleVersion", spec.version);
    info.set("LSMinimumSystemVersion", "10.13");
    writer.file(contents + "/Info.plist", info.serialize(spec.infoFormat));
  }
  writer.file(contents + "/PkgInfo", spec.packageType + "????");
  if (!spec.executable.empty()) {
    writer.fileOfSize(contents + "/MacOS/" + spec.executable, spec.executableBytes, seed,
                      kExecutableMagic, /*executable=*/true);
  }
  if (!spec.iconFile.empty()) {
    std::string iconName = spec.iconFile;
    if (!endsWith(iconName, ".icns") && !endsWith(iconName, ".png")) iconName += ".icns";
    writer.file(contents + "/Resources/" + iconName, iconBytes(iconName, seed));
  }
  if (spec.name) {
    writer.file(
        contents + "/Resources/en.lproj/InfoPlist.strings",
        "/* Localized versions of Info.plist keys */\n\nCFBundleName = \"" + *spec.name + "\";\n");
  }
}

std::string preferenceFile(std::string_view identifier, std::size_t bytes) {
  PlistValue prefs = PlistValue::dictionary();
  prefs.setBool("NSNavPanelExpandedStateForSaveMode", true);
  prefs.setInteger("LaunchCount", 3 + seedOf(identifier) % 200);
  prefs.set("LastIdentifier", identifier);
  PlistValue recent = PlistValue::array();
  DemoRandom random(seedOf(identifier));
  std::size_t size = prefs.serialize(PlistFormat::Xml).size();
  for (int index = 0; size < bytes; ++index) {
    const std::string entry = "/Users/Shared/Documents/Item " + std::to_string(index) + "-" +
                              std::to_string(random.next() % 100000);
    recent.append(entry);
    size += entry.size() + 30;
  }
  prefs.set("RecentDocuments", std::move(recent));
  return prefs.serialize(PlistFormat::Xml);
}

}  // namespace vimbrel::demo
