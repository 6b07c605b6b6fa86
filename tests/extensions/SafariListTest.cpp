#include <sys/stat.h>

#include <filesystem>

#include "ExtensionsFixture.h"
#include "extensions/SafariExtensionList.h"

namespace vimbrel {
namespace {

using extensions::SafariExtensionList;
using testing::PlistPtr;
using testing::readBytes;
using testing::readPlist;
using testing::stringAt;
using State = SafariExtensionList::State;

class SafariListTest : public testing::ExtensionsFixture,
                       public ::testing::WithParamInterface<bool> {};

// Taking one of two entries out keeps every other key, at every level, and
// the format the list was read in.
TEST_P(SafariListTest, RoundTripKeepsEverythingElseAndTheFormat) {
  const bool xml = GetParam();
  writeSafariList({{"Clipper.safariextz", "com.example.clipper"}, {"Keep.safariextz", "com.keep"}},
                  xml);
  SafariExtensionList list = SafariExtensionList::load(safariList());
  ASSERT_EQ(list.state(), State::Loaded);
  EXPECT_EQ(list.isBinary(), !xml);
  EXPECT_EQ(list.removeExtension("com.example.CLIPPER"), 0u);  // exact comparison
  EXPECT_EQ(list.removeExtension("com.example.clipper"), 1u);
  ASSERT_TRUE(list.save());

  const std::string bytes = readBytes(safariList());
  EXPECT_EQ(bytes.rfind("bplist00", 0) == 0, !xml);
  EXPECT_EQ(bytes.find("<plist") != std::string::npos, xml);
  // The expected file: the one written, built without the removed entry.
  PlistPtr expected = safariPlist({{"Keep.safariextz", "com.keep"}});
  PlistPtr actual = readPlist(safariList());
  ASSERT_TRUE(actual);
  EXPECT_EQ(testing::xmlOf(actual.get()), testing::xmlOf(expected.get()));
  plist_t installed = plist_dict_get_item(actual.get(), "Installed Extensions");
  ASSERT_EQ(plist_array_get_size(installed), 1u);
  EXPECT_EQ(stringAt(plist_array_get_item(installed, 0), "Developer Identifier"), "DEV123");
  // Nothing is left beside the list.
  std::size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(safariFolder())) {
    entries += entry.path().filename().string().starts_with("Extensions.plist");
  }
  EXPECT_EQ(entries, 1u);
}

INSTANTIATE_TEST_SUITE_P(BinaryAndXml, SafariListTest, ::testing::Bool());

TEST_F(SafariListTest, WhatCannotBeReadIsNeverWritten) {
  for (const std::string contents :
       {"garbage", "bplist00 truncated",
        "<?xml version=\"1.0\"?><plist><array><string>x</string></array></plist>",
        "<?xml version=\"1.0\"?><plist><dict><key>Installed Extensions</key>"
        "<string>odd</string></dict></plist>"}) {
    homeFile("Library/Safari/Extensions/Extensions.plist", contents);
    SafariExtensionList list = SafariExtensionList::load(safariList());
    EXPECT_EQ(list.state(), State::Unreadable) << contents;
    EXPECT_TRUE(list.entries().empty());
    EXPECT_FALSE(list.save());
    EXPECT_EQ(readBytes(safariList()), contents);
  }
}

// A FIFO in the list's place is never waited on, and a new list's folders are
// made without following a link: Library pointing elsewhere stops the save.
TEST_F(SafariListTest, AFifoIsUnreadableAndFoldersAreNotMadeThroughLinks) {
  std::filesystem::create_directories(safariFolder());
  ASSERT_EQ(mkfifo(safariList().c_str(), 0644), 0);
  EXPECT_EQ(SafariExtensionList::load(safariList()).state(), State::Unreadable);

  std::filesystem::remove_all(home_ + "/Library");
  const std::string elsewhere = tree_.folder("elsewhere");
  std::filesystem::create_directory_symlink(elsewhere, home_ + "/Library");
  SafariExtensionList list = SafariExtensionList::load(safariList());
  ASSERT_EQ(list.state(), State::Missing);
  EXPECT_FALSE(list.save());
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
}

}  // namespace
}  // namespace vimbrel
