#include "extensions/SafariExtensionList.h"

#include <fcntl.h>
#include <plist/plist.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/PlistReader.h"

namespace vimbrel::extensions {

namespace {

constexpr const char* kInstalledExtensions = "Installed Extensions";
constexpr const char* kBundleIdentifier = "Bundle Identifier";
constexpr const char* kArchiveFileName = "Archive File Name";
// Safari's list is a few kilobytes per extension; a file far larger is not one.
constexpr std::size_t kMaxListBytes = 64u << 20;

struct PlistDeleter {
  void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

std::optional<std::string> stringValue(plist_t node) {
  if (!node || plist_get_node_type(node) != PLIST_STRING) return std::nullopt;
  char* value = nullptr;
  plist_get_string_val(node, &value);
  if (!value) return std::nullopt;
  std::string result(value);
  std::free(value);
  return result;
}

}  // namespace

struct SafariExtensionList::Plist {
  PlistPtr root;
  mode_t mode = 0644;
};

SafariExtensionList::SafariExtensionList(std::string path, State state)
    : path_(std::move(path)), state_(state), root_(std::make_unique<Plist>()) {}
SafariExtensionList::SafariExtensionList(SafariExtensionList&&) noexcept = default;
SafariExtensionList& SafariExtensionList::operator=(SafariExtensionList&&) noexcept = default;
SafariExtensionList::~SafariExtensionList() = default;

SafariExtensionList SafariExtensionList::load(const std::string& path) {
  // Safari's file, not ours: a regular file only, and capped.
  plistreader::FileBytes file = plistreader::readRegularFile(path, kMaxListBytes);
  if (file.outcome != plistreader::FileOutcome::Loaded) {
    if (file.outcome == plistreader::FileOutcome::Missing) {
      SafariExtensionList list(path, State::Missing);
      list.root_->root.reset(plist_new_dict());
      plist_dict_set_item(list.root_->root.get(), kInstalledExtensions, plist_new_array());
      return list;
    }
    return SafariExtensionList(path, State::Unreadable);
  }
  SafariExtensionList list(path, State::Unreadable);
  const std::vector<std::uint8_t>& bytes = file.bytes;
  if (bytes.empty()) return list;
  const auto length = static_cast<std::uint32_t>(bytes.size());
  plist_t root = plistreader::parse(bytes.data(), bytes.size());
  list.root_->root.reset(root);
  if (!root || plist_get_node_type(root) != PLIST_DICT) return list;
  plist_t installed = plist_dict_get_item(root, kInstalledExtensions);
  // A list without the key has no extensions; one with a value of another
  // kind is not a list this program understands, and must stay as it is.
  if (installed && plist_get_node_type(installed) != PLIST_ARRAY) return list;
  if (!installed) plist_dict_set_item(root, kInstalledExtensions, plist_new_array());
  list.binary_ = plist_is_binary(reinterpret_cast<const char*>(bytes.data()), length) != 0;
  list.root_->mode = file.info.st_mode & 07777;
  list.state_ = State::Loaded;
  return list;
}

std::vector<SafariExtensionList::Entry> SafariExtensionList::entries() const {
  std::vector<Entry> result;
  if (state_ == State::Unreadable) return result;
  plist_t installed = plist_dict_get_item(root_->root.get(), kInstalledExtensions);
  const std::uint32_t count = plist_array_get_size(installed);
  for (std::uint32_t i = 0; i < count; ++i) {
    plist_t entry = plist_array_get_item(installed, i);
    if (!entry || plist_get_node_type(entry) != PLIST_DICT) {
      result.push_back({});
      continue;
    }
    result.push_back({stringValue(plist_dict_get_item(entry, kArchiveFileName)),
                      stringValue(plist_dict_get_item(entry, kBundleIdentifier))});
  }
  return result;
}

std::size_t SafariExtensionList::removeExtension(const std::string& identifier) {
  if (state_ == State::Unreadable) return 0;
  plist_t installed = plist_dict_get_item(root_->root.get(), kInstalledExtensions);
  std::size_t removed = 0;
  // From the end, so that the indices still to visit do not move.
  for (std::uint32_t i = plist_array_get_size(installed); i-- > 0;) {
    plist_t entry = plist_array_get_item(installed, i);
    if (!entry || plist_get_node_type(entry) != PLIST_DICT) continue;
    if (stringValue(plist_dict_get_item(entry, kBundleIdentifier)) == identifier) {
      plist_array_remove_item(installed, i);
      ++removed;
    }
  }
  return removed;
}

Status SafariExtensionList::save() const {
  if (state_ == State::Unreadable) {
    return Status::error(path_ + ": not a readable extension list; left as it is");
  }
  char* bytes = nullptr;
  std::uint32_t length = 0;
  if (binary_) {
    plist_to_bin(root_->root.get(), &bytes, &length);
  } else {
    plist_to_xml(root_->root.get(), &bytes, &length);
  }
  if (!bytes) return Status::error(path_ + ": the list could not be serialized");
  // A new list may need Safari's folders too, made without following a link
  // at any component.
  Status status = state_ == State::Missing
                      ? atomicfile::makeFoldersWithoutLinks(paths::parent(path_), 0755)
                      : Status::ok();
  if (status) {
    status = atomicfile::replaceFile(path_, std::vector<std::uint8_t>(bytes, bytes + length),
                                     root_->mode);
  }
  if (binary_) {
    plist_to_bin_free(bytes);
  } else {
    plist_to_xml_free(bytes);
  }
  return status;
}

}  // namespace vimbrel::extensions
