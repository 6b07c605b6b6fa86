#include "ExtensionsFixture.h"
#include "extensions/SafariExtension.h"

namespace vimbrel {
namespace {

using extensions::SafariExtension;
using extensions::SafariItem;

class SafariCatalogTest : public testing::ExtensionsFixture {
 protected:
  std::vector<SafariItem> list() { return SafariExtension(store_).installedSafariExtensions(); }
};

TEST_F(SafariCatalogTest, RecordsFromTheListSortedByLabel) {
  writeSafariList({{"zeta.safariextz", "com.zetasoft.zeta"},
                   {"Clipper.safariextz", "com.example.clipper.safari"},
                   {"My.Tool-1.2.safariextz", "com.mytool.safari"},
                   {"Alpha.safariextz", "solo"},
                   {"Gone.safariextz", "com.example.gone"}});
  std::filesystem::remove(safariFolder() + "/Gone.safariextz");

  const std::vector<SafariItem> items = list();
  std::vector<std::string> labels;
  for (const auto& item : items) labels.push_back(item.label);
  EXPECT_EQ(labels, (std::vector<std::string>{"Alpha", "Clipper", "Gone", "My", "zeta"}));

  const SafariItem& clipper = items[1];
  EXPECT_EQ(clipper.bundle, "com.example.clipper.safari");
  EXPECT_EQ(clipper.bundle_name, "safari");
  EXPECT_EQ(clipper.company_name, "example");
  EXPECT_EQ(clipper.url, safariFolder() + "/Clipper.safariextz");
  EXPECT_EQ(clipper.label_name, "");
  EXPECT_EQ(clipper.bundle_name_info, "");
  EXPECT_EQ(clipper.executable_info, "");
  EXPECT_TRUE(clipper.icon.empty());
  // An identifier without a dot is its own last and second component.
  EXPECT_EQ(items[0].bundle_name, "solo");
  EXPECT_EQ(items[0].company_name, "solo");
  // An archive that is gone is still listed.
  EXPECT_EQ(items[2].url, safariFolder() + "/Gone.safariextz");
}

TEST_F(SafariCatalogTest, MissingUnreadableOrUngrantedListsAreEmpty) {
  EXPECT_TRUE(list().empty());
  homeFile("Library/Safari/Extensions/Extensions.plist", "not a property list");
  EXPECT_TRUE(list().empty());
  writeSafariList({{"Clipper.safariextz", "com.example.clipper.safari"}});
  MemorySettingsStore noGrants;
  EXPECT_TRUE(SafariExtension(noGrants).installedSafariExtensions().empty());
  EXPECT_EQ(list().size(), 1u);
}

TEST_F(SafariCatalogTest, EntriesThatCouldNameSomethingElseAreLeftOut) {
  // Such a location would make the removal delete the folder itself, Safari's
  // list, or something outside the extensions folder.
  writeSafariList({{"Good.safariextz", "com.good"},
                   {"", "com.empty"},
                   {"../../Preferences", "com.escape"},
                   {".hidden.safariextz", "com.hidden"},
                   {"Extensions.plist", "com.list"},
                   {"..", "com.up"}},
                  false, false);
  const auto items = list();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].bundle, "com.good");
}

}  // namespace
}  // namespace vimbrel
