#pragma once

#include <map>
#include <optional>
#include <string>

namespace vimbrel {

// A folder opened as a bundle: its identifier and the string values of its
// Contents/Info.plist (XML or binary). A bundle without an Info.plist, or with a
// corrupt, oversized or hostile one, opens with no identifier and no values.
// Bundles are read afresh on every open; nothing is cached.
class Bundle {
 public:
  // Opens any existing folder; a missing path or a file gives nothing.
  static std::optional<Bundle> open(const std::string& path);

  const std::string& path() const { return path_; }
  // CFBundleIdentifier, when it is a string.
  const std::optional<std::string>& identifier() const { return identifier_; }
  // A top-level string value of the information dictionary.
  std::optional<std::string> infoString(const std::string& key) const;
  // The first image resource called `name` in Contents/Resources: the name as
  // given when it has an extension and exists, otherwise the name with the
  // extensions icns, png, tiff, tif, jpg, jpeg, gif, bmp tried in that order.
  std::optional<std::string> imageResource(const std::string& name) const;

 private:
  explicit Bundle(std::string path) : path_(std::move(path)) {}
  std::string path_;
  std::optional<std::string> identifier_;
  std::map<std::string, std::string, std::less<>> strings_;
};

}  // namespace vimbrel
