#include <gtest/gtest.h>
#include <plist/plist.h>

#include <random>
#include <string>

#include "TempTree.h"
#include "platform/Bundle.h"

namespace vimbrel {
namespace {

using testing::TempTree;

std::string infoPlist(bool binary) {
  plist_t dict = plist_new_dict();
  plist_dict_set_item(dict, "CFBundleIdentifier", plist_new_string("com.example.Tool"));
  plist_dict_set_item(dict, "CFBundleName", plist_new_string("Tool"));
  plist_dict_set_item(dict, "CFBundleIconFile", plist_new_string("AppIcon.icns"));
  plist_dict_set_item(dict, "LSUIElement", plist_new_bool(1));
  char* data = nullptr;
  uint32_t length = 0;
  if (binary) {
    plist_to_bin(dict, &data, &length);
  } else {
    plist_to_xml(dict, &data, &length);
  }
  std::string bytes(data, length);
  free(data);
  plist_free(dict);
  return bytes;
}

TEST(Bundle, ReadsIdentifierAndStringValuesFromXmlAndBinaryInfo) {
  TempTree tree;
  for (bool binary : {false, true}) {
    std::string path = tree.folder(binary ? "Bin.app" : "Xml.app");
    tree.file((binary ? "Bin.app" : "Xml.app") + std::string("/Contents/Info.plist"),
              infoPlist(binary));
    auto bundle = Bundle::open(path);
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->identifier(), "com.example.Tool");
    EXPECT_EQ(bundle->infoString("CFBundleName"), "Tool");
    EXPECT_EQ(bundle->infoString("LSUIElement"), std::nullopt);  // not a string
    EXPECT_EQ(bundle->infoString("Missing"), std::nullopt);
  }
}

TEST(Bundle, AnyExistingFolderOpensAndMissingPathsDoNot) {
  TempTree tree;
  tree.file("plain.txt");
  EXPECT_FALSE(Bundle::open(tree.path("missing.app")));
  EXPECT_FALSE(Bundle::open(tree.path("plain.txt")));
  auto empty = Bundle::open(tree.folder("Empty.app"));
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->identifier(), std::nullopt);
}

TEST(Bundle, FindsImageResourcesByNameWithOrWithoutExtension) {
  TempTree tree;
  std::string path = tree.folder("Tool.app");
  tree.file("Tool.app/Contents/Resources/AppIcon.png", "png");
  tree.file("Tool.app/Contents/Resources/AppIcon.icns", "icns");
  tree.file("Tool.app/Contents/Resources/Other.tiff", "tiff");
  auto bundle = Bundle::open(path);
  ASSERT_TRUE(bundle);
  EXPECT_EQ(bundle->imageResource("AppIcon"),
            tree.path("Tool.app/Contents/Resources/AppIcon.icns"));
  EXPECT_EQ(bundle->imageResource("AppIcon.png"),
            tree.path("Tool.app/Contents/Resources/AppIcon.png"));
  EXPECT_EQ(bundle->imageResource("Other"), tree.path("Tool.app/Contents/Resources/Other.tiff"));
  EXPECT_EQ(bundle->imageResource("Nothing"), std::nullopt);
  EXPECT_EQ(bundle->imageResource("../../Contents"), std::nullopt);
}

// Random, truncated and mutated bytes as Info.plist must never crash or hang:
// the bundle opens with no identifier, or with whatever strings survived.
TEST(Bundle, HostileInfoPlistsNeverCrash) {
  TempTree tree;
  std::string path = tree.folder("Fuzz.app");
  std::mt19937 random(20261208);
  const std::string seeds[] = {infoPlist(true), infoPlist(false)};
  for (int round = 0; round < 600; ++round) {
    std::string bytes = seeds[round % 2];
    switch (round % 3) {
      case 0:
        bytes.resize(random() % (bytes.size() + 1));
        break;
      case 1:
        for (int flips = 0; flips < 8; ++flips) {
          bytes[random() % bytes.size()] = static_cast<char>(random());
        }
        break;
      default:
        bytes.assign(random() % 512, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        if (round % 2 == 0 && bytes.size() > 8) bytes.replace(0, 8, "bplist00");
    }
    tree.file("Fuzz.app/Contents/Info.plist", bytes);
    auto bundle = Bundle::open(path);
    ASSERT_TRUE(bundle);
  }
}

}  // namespace
}  // namespace vimbrel
