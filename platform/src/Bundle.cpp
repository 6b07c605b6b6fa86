#include "platform/Bundle.h"

#include <plist/plist.h>
#include <sys/stat.h>

#include <array>
#include <memory>

#include "platform/Paths.h"
#include "platform/PlistReader.h"

namespace vimbrel {

namespace {

// An information dictionary is a few kilobytes; anything far larger is not
// one, and is not worth the memory or time of parsing.
constexpr std::size_t kMaxInfoPlistBytes = 1 << 20;

struct PlistDeleter {
  void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

bool isRegularFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// A regular file only (never a FIFO or a link), read whole and checked.
PlistPtr readPlist(const std::string& path) {
  const plistreader::FileBytes file = plistreader::readRegularFile(path, kMaxInfoPlistBytes);
  if (file.outcome != plistreader::FileOutcome::Loaded || file.bytes.empty()) return nullptr;
  return PlistPtr(plistreader::parse(file.bytes.data(), file.bytes.size()));
}

std::optional<std::string> stringValue(plist_t node) {
  if (!node || plist_get_node_type(node) != PLIST_STRING) return std::nullopt;
  char* value = nullptr;
  plist_get_string_val(node, &value);
  if (!value) return std::nullopt;
  std::string result(value);
  free(value);
  return result;
}

}  // namespace

std::optional<Bundle> Bundle::open(const std::string& path) {
  struct stat info {};
  if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
  Bundle bundle(paths::normalize(path));
  PlistPtr root = readPlist(paths::append(bundle.path_, "Contents/Info.plist"));
  if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return bundle;

  plist_dict_iter it = nullptr;
  plist_dict_new_iter(root.get(), &it);
  if (!it) return bundle;
  while (true) {
    char* key = nullptr;
    plist_t value = nullptr;
    plist_dict_next_item(root.get(), it, &key, &value);
    if (!key) break;
    if (auto text = stringValue(value)) bundle.strings_.emplace(key, std::move(*text));
    free(key);
  }
  free(it);
  if (auto found = bundle.strings_.find("CFBundleIdentifier"); found != bundle.strings_.end()) {
    bundle.identifier_ = found->second;
  }
  return bundle;
}

std::optional<std::string> Bundle::infoString(const std::string& key) const {
  auto found = strings_.find(key);
  if (found == strings_.end()) return std::nullopt;
  return found->second;
}

std::optional<std::string> Bundle::imageResource(const std::string& name) const {
  if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
  const std::string resources = paths::append(path_, "Contents/Resources");
  if (!paths::extension(name).empty()) {
    std::string exact = paths::append(resources, name);
    if (isRegularFile(exact)) return exact;
  }
  static constexpr std::array<const char*, 8> kImageExtensions = {"icns", "png",  "tiff", "tif",
                                                                  "jpg",  "jpeg", "gif",  "bmp"};
  for (const char* extension : kImageExtensions) {
    std::string candidate = paths::append(resources, name + "." + extension);
    if (isRegularFile(candidate)) return candidate;
  }
  return std::nullopt;
}

}  // namespace vimbrel
