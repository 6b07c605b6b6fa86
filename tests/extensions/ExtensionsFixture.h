#pragma once

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "FakeBundles.h"
#include "TempTree.h"
#include "engine/SettingsKeys.h"
#include "engine/WorkflowState.h"
#include "platform/FileSystem.h"
#include "platform/Grant.h"
#include "platform/MemorySettingsStore.h"

namespace vimbrel::testing {

struct PlistDeleter {
  void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// One "Installed Extensions" entry: archive name and identifier.
using SafariEntry = std::pair<std::string, std::string>;

inline std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline PlistPtr readPlist(const std::string& path) {
  const std::string bytes = readBytes(path);
  plist_t root = nullptr;
  if (!bytes.empty()) {
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
  }
  return PlistPtr(root);
}

// The XML text of a value, for comparing whole property lists.
inline std::string xmlOf(plist_t node) {
  char* text = nullptr;
  uint32_t length = 0;
  plist_to_xml(node, &text, &length);
  std::string result(text ? text : "", length);
  plist_to_xml_free(text);
  return result;
}

inline std::string stringAt(plist_t dict, const char* key) {
  plist_t node = dict ? plist_dict_get_item(dict, key) : nullptr;
  if (!node || plist_get_node_type(node) != PLIST_STRING) return "<none>";
  char* value = nullptr;
  plist_get_string_val(node, &value);
  std::string result(value ? value : "");
  free(value);
  return result;
}

// A macOS-layout tree with a granted home and disk root, and Safari's list.
class ExtensionsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = tree_.folder("disk/Users/tester");
    store_.setBlob(keys::kHome, createGrant(home_));
    store_.setBlob(keys::kMacOS, createGrant(tree_.folder("disk")));
  }

  void allowSystemFolders() { store_.setInteger(keys::kAllowAny, 1); }

  std::string homeFile(const std::string& relative, std::string_view contents = "x") {
    return tree_.file("disk/Users/tester/" + relative, contents);
  }
  std::string diskFile(const std::string& relative, std::string_view contents = "x") {
    return tree_.file("disk/" + relative, contents);
  }
  std::string homeBundle(const std::string& relative, const BundleInfo& info) {
    return writeBundle(tree_, "disk/Users/tester/" + relative, info);
  }
  std::string diskBundle(const std::string& relative, const BundleInfo& info) {
    return writeBundle(tree_, "disk/" + relative, info);
  }

  std::string safariFolder() const { return home_ + "/Library/Safari/Extensions"; }
  std::string safariList() const { return safariFolder() + "/Extensions.plist"; }

  // A list in Safari's shape, with keys this program must leave alone at
  // every level: a date, data, a real, a boolean, a nested dictionary.
  PlistPtr safariPlist(const std::vector<SafariEntry>& entries) const {
    plist_t root = plist_new_dict();
    plist_t installed = plist_new_array();
    for (const auto& [archive, identifier] : entries) {
      plist_t entry = plist_new_dict();
      plist_dict_set_item(entry, "Archive File Name", plist_new_string(archive.c_str()));
      plist_dict_set_item(entry, "Bundle Identifier", plist_new_string(identifier.c_str()));
      plist_dict_set_item(entry, "Enabled", plist_new_bool(1));
      plist_dict_set_item(entry, "Added Date", plist_new_date(600000000, 0));
      plist_dict_set_item(entry, "Developer Identifier", plist_new_string("DEV123"));
      plist_array_append_item(installed, entry);
    }
    plist_t updates = plist_new_dict();
    plist_dict_set_item(updates, "Updates List", plist_new_array());
    plist_dict_set_item(updates, "Checked", plist_new_real(1.5));
    plist_dict_set_item(root, "Available Updates", updates);
    plist_dict_set_item(root, "Installed Extensions", installed);
    plist_dict_set_item(root, "Version", plist_new_uint(3));
    plist_dict_set_item(root, "Signature", plist_new_data("\x00\x01\xff", 3));
    return PlistPtr(root);
  }

  // Writes Safari's list (binary unless asked for XML) and, unless told not
  // to, each archive beside it.
  void writeSafariList(const std::vector<SafariEntry>& entries, bool xml = false,
                       bool archives = true) {
    PlistPtr root = safariPlist(entries);
    char* bytes = nullptr;
    uint32_t length = 0;
    if (xml) {
      plist_to_xml(root.get(), &bytes, &length);
    } else {
      plist_to_bin(root.get(), &bytes, &length);
    }
    tree_.file("disk/Users/tester/Library/Safari/Extensions/Extensions.plist",
               std::string_view(bytes, length));
    xml ? plist_to_xml_free(bytes) : plist_to_bin_free(bytes);
    for (const auto& entry : entries) {
      if (!archives) break;
      tree_.file("disk/Users/tester/Library/Safari/Extensions/" + entry.first, "xar!archive");
    }
  }

  TempTree tree_;
  PosixFileSystem fileSystem_;
  MemorySettingsStore store_;
  WorkflowState state_;
  std::string home_;
};

// Fails the deletion of chosen paths, as a folder without write permission
// would for a user who is not root.
class FailingFileSystem : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  Status removeBelow(const RemovalAnchor& anchor, const std::string& path) const override {
    if (failing.count(path)) return Status::fromErrno(EACCES, "injected");
    return ForwardingFileSystem::removeBelow(anchor, path);
  }
  std::set<std::string> failing;
};

}  // namespace vimbrel::testing
