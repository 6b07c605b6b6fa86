#include "FakeBundles.h"

namespace vimbrel::testing {

namespace {

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

void addKey(std::string& xml, const char* key, const std::optional<std::string>& value) {
  if (!value) return;
  xml += "\t<key>" + std::string(key) + "</key>\n\t<string>" + escaped(*value) + "</string>\n";
}

}  // namespace

std::string xmlInfoPlist(const BundleInfo& info) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\">\n<dict>\n";
  addKey(xml, "CFBundleIdentifier", info.identifier);
  addKey(xml, "CFBundleName", info.name);
  addKey(xml, "CFBundleExecutable", info.executable);
  addKey(xml, "CFBundleIconFile", info.iconFile);
  xml += "</dict>\n</plist>\n";
  return xml;
}

std::string writeBundle(const TempTree& tree, const std::string& relative, const BundleInfo& info) {
  tree.file(relative + "/Contents/Info.plist", xmlInfoPlist(info));
  tree.file(relative + "/Contents/MacOS/" + info.executable.value_or("main"), "binary");
  return tree.path(relative);
}

}  // namespace vimbrel::testing
