#include <gtest/gtest.h>

#include "app/ui/RemainderIcons.h"
#include "platform/ui/IconProvider.h"

namespace vimbrel {
namespace {

using Kind = RemainderIcon::Kind;

TEST(RemainderIconsTest, LaterTestsWinOverEarlierOnes) {
  const std::string home = "/Users/ann/Library/";
  EXPECT_EQ(remainderIcon(home + "Caches/com.example.Tool", true), (RemainderIcon{}));
  EXPECT_EQ(remainderIcon(home + "Caches/com.example.Tool/data", false).kind,
            Kind::GenericDocument);
  EXPECT_EQ(remainderIcon("/Applications/Tool.app", true).kind, Kind::ApplicationIcon);
  EXPECT_EQ(remainderIcon(home + "Preferences/com.example.Tool.plist", false).kind,
            Kind::Preferences);
  EXPECT_EQ(remainderIcon(home + "Cookies/com.example.Tool.binarycookies", false),
            (RemainderIcon{Kind::FileType, "webloc"}));
  EXPECT_EQ(remainderIcon(home + "Logs/DiagnosticReports/Tool.crash", false),
            (RemainderIcon{Kind::FileType, "crash"}));
  EXPECT_EQ(remainderIcon(home + "Caches/com.apple.helpd/Tool", true),
            (RemainderIcon{Kind::FileType, "help"}));
  // A launch agent on the desktop shows the file's own icon: the last test wins.
  EXPECT_EQ(remainderIcon("/Users/ann/Desktop/LaunchAgents/x.plist", false).kind, Kind::OwnIcon);
  // The tests are case-sensitive.
  EXPECT_EQ(remainderIcon(home + "cookies/x", false).kind, Kind::GenericDocument);
}

TEST(RemainderIconsTest, EveryNamedFileTypeHasThemeIconNames) {
  for (const char* type : {"", "webloc", "crash", "bundle", "help", "workflow"}) {
    const QStringList names = ThemeIconProvider::themeNamesForFileType(type);
    EXPECT_FALSE(names.isEmpty()) << type;
  }
}

}  // namespace
}  // namespace vimbrel
