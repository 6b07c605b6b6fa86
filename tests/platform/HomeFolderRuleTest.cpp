#include "platform/HomeFolderRule.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TempTree.h"

namespace vimbrel {
namespace {

using testing::TempTree;

TEST(HomeFolderRuleTest, TheLoginsFolderOrAMountedMacHomeCounts) {
  TempTree tree;
  tree.folder("Volumes/Mac/Users/anna/Library");
  tree.folder("Volumes/Mac/Users/empty");
  tree.folder("Volumes/Mac/Other/bob/Library");
  tree.file("Volumes/Mac/Users/plain/Library");
  tree.folder("Volumes/Mac/Users/linked-target");
  std::filesystem::create_directory_symlink(tree.path("Volumes/Mac/Users/anna/Library"),
                                            tree.path("Volumes/Mac/Users/linked-target/Library"));
  struct Case {
    const char* folder;
    const char* login;
    bool home;
  } cases[] = {
      {"home/tester", "tester", true},               // named after the login, wherever it is
      {"Volumes/Mac/Users/anna", "tester", true},    // a macOS home on a mounted volume
      {"Volumes/Mac/Users/anna", "", true},          // no login name needed for that
      {"Volumes/Mac/Users/empty", "tester", false},  // no "Library" in it
      {"Volumes/Mac/Other/bob", "tester", false},    // not in "Users"
      {"Volumes/Mac/Users/plain", "tester", false},  // "Library" is a file
      {"Volumes/Mac/Users/linked-target", "tester", false},  // "Library" only a link
      {"Volumes/Mac/Users", "tester", false},                // the parent of all homes
      {"home/tester", "", false},  // an unknown login matches nothing else
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isHomeFolder(tree.path(c.folder), c.login), c.home) << c.folder << " / " << c.login;
  }
  EXPECT_FALSE(isHomeFolder("/", "tester"));
  EXPECT_NE(homeFolderRequirement("tester").find("\"tester\""), std::string::npos);
}

}  // namespace
}  // namespace vimbrel
