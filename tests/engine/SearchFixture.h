#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeBundles.h"
#include "TempTree.h"
#include "engine/Application.h"
#include "engine/RemainderSearch.h"
#include "engine/SettingsKeys.h"
#include "platform/Grant.h"
#include "platform/MemorySettingsStore.h"

namespace vimbrel::testing {

// A macOS-layout tree with a granted home, Applications folder and disk root,
// and helpers to search it and read the result as relative paths.
class SearchFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = tree_.folder("disk/Users/tester");
    applications_ = tree_.folder("disk/Applications");
    store_.setBlob(keys::kHome, createGrant(home_));
    store_.setBlob(keys::kApplications, createGrant(applications_));
    store_.setBlob(keys::kMacOS, createGrant(tree_.folder("disk")));
  }

  void allowSystemFolders() { store_.setInteger(keys::kAllowAny, 1); }

  std::string homeFile(const std::string& relative, std::string_view contents = "x") {
    return tree_.file("disk/Users/tester/" + relative, contents);
  }
  std::string homeFolder(const std::string& relative) {
    return tree_.folder("disk/Users/tester/" + relative);
  }
  std::string diskFile(const std::string& relative, std::string_view contents = "x") {
    return tree_.file("disk/" + relative, contents);
  }

  ApplicationItem app(const std::string& relative, const BundleInfo& info) {
    std::string path = writeBundle(tree_, "disk/Applications/" + relative, info);
    return Application(fileSystem_, store_).application(path);
  }
  ApplicationItem tool(const std::string& relative = "Tool.app") {
    return app(relative, {"com.example.Tool", "Tool", "Tool", std::nullopt});
  }

  // Runs the application search and returns `files` as text: headers as
  // "[Group]", locations relative to the disk folder.
  std::vector<std::string> search(ApplicationItem& item,
                                  const SearchVariant& variant = SearchVariant::application()) {
    RemainderSearch(fileSystem_, variant)
        .run(item, SearchRoots::resolve(store_, variant.homeGrantKey));
    return describe(item.files);
  }

  std::vector<std::string> describe(const std::vector<RemainderEntry>& files) const {
    std::vector<std::string> result;
    const std::string disk = tree_.path("disk") + "/";
    for (const RemainderEntry& entry : files) {
      if (entry.isHeader()) {
        result.push_back("[" + entry.text() + "]");
      } else if (entry.text().rfind(disk, 0) == 0) {
        result.push_back(entry.text().substr(disk.size()));
      } else {
        result.push_back(entry.text());
      }
    }
    return result;
  }

  TempTree tree_;
  PosixFileSystem fileSystem_;
  MemorySettingsStore store_;
  std::string home_;
  std::string applications_;
};

}  // namespace vimbrel::testing
