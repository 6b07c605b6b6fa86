#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "PlistValue.h"
#include "TreeWriter.h"

namespace vimbrel::demo {

// What goes into one bundle's Info.plist and Contents folder. An absent value
// leaves its key out of Info.plist.
struct BundleSpec {
  std::optional<std::string> identifier;
  std::optional<std::string> name;  // CFBundleName
  std::string executable;           // CFBundleExecutable; empty for none
  std::string iconFile;             // CFBundleIconFile as written; empty for none
  std::string version = "1.0";
  std::string packageType = "APPL";
  std::size_t executableBytes = 4096;
  PlistFormat infoFormat = PlistFormat::Xml;
  bool withInfo = true;  // false: a bundle without Info.plist
};

// Writes <bundlePath>/Contents with Info.plist, PkgInfo, the executable under
// MacOS/ and the icon under Resources/ ("X.icns" or "X.png" as named, a name
// without extension getting ".icns"), and a localized strings file.
void writeBundle(TreeWriter& writer, std::string_view bundlePath, const BundleSpec& spec);

// A small XML preference file whose values follow from `identifier`; about
// `bytes` long.
std::string preferenceFile(std::string_view identifier, std::size_t bytes);

}  // namespace vimbrel::demo
