#include <gtest/gtest.h>

#include "platform/Paths.h"

namespace vimbrel::paths {
namespace {

TEST(Paths, LastComponentAndExtensionFollowUrlRules) {
  EXPECT_EQ(lastComponent("/"), "/");
  EXPECT_EQ(lastComponent("/Applications/Tool.app/"), "Tool.app");
  EXPECT_EQ(extension("/Applications/Tool.app/"), "app");
  EXPECT_EQ(extension(".hidden"), "");
  EXPECT_EQ(extension(".g"), "");
  EXPECT_EQ(extension("g."), "");
  EXPECT_EQ(extension("g.."), "");
  EXPECT_EQ(extension("..g"), "g");
  EXPECT_EQ(extension("a.b.c"), "c");
  EXPECT_EQ(extension("archive.tar.gz"), "gz");
  EXPECT_EQ(extension("foo.t xt"), "");
  EXPECT_EQ(extension("my file.txt"), "txt");
  EXPECT_EQ(extension("dir.d/file"), "");
  EXPECT_EQ(extension("a.b\xE2\x80\x8F"), "");  // a bidi mark in the extension
}

TEST(Paths, ParentAppendNormalizeAndContainment) {
  EXPECT_EQ(parent("/Applications/Tool.app"), "/Applications");
  EXPECT_EQ(parent("/Applications"), "/");
  EXPECT_EQ(append("/", "Users"), "/Users");
  EXPECT_EQ(append("/home/u/", "Library"), "/home/u/Library");
  EXPECT_EQ(normalize("/a//b/"), "/a/b");
  EXPECT_TRUE(isWithin("/a/b/c", "/a/b"));
  EXPECT_TRUE(isWithin("/a/b", "/a/b/"));
  EXPECT_FALSE(isWithin("/a/bc", "/a/b"));
  EXPECT_TRUE(isWithin("/anything", "/"));
}

TEST(Paths, PackagesAndDisplayNames) {
  EXPECT_TRUE(isPackageName("Tool.app"));
  EXPECT_TRUE(isPackageName("Pane.PREFPANE"));
  EXPECT_TRUE(isPackageName("Ext.safariextension"));
  for (const char* project : {"Demo.xcodeproj", "Demo.XCWORKSPACE", "Sketch.playground"}) {
    EXPECT_TRUE(isPackageName(project)) << project;
  }
  EXPECT_FALSE(isPackageName("v1.2"));
  EXPECT_FALSE(isPackageName("en.lproj"));
  EXPECT_FALSE(isPackageName("app"));
  EXPECT_EQ(displayName("/Applications/Tool.app"), "Tool");
  EXPECT_EQ(displayName("/Applications/My App.app/"), "My App");
  EXPECT_EQ(displayName("/Applications/Tool.APP"), "Tool.APP");
  EXPECT_EQ(displayName("/Library/Pane.prefPane"), "Pane.prefPane");
}

}  // namespace
}  // namespace vimbrel::paths
