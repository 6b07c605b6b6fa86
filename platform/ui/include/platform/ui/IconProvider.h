#pragma once

#include <QIcon>
#include <QString>
#include <string>

namespace vimbrel {

// Icons of files and file types, as the desktop shows them.
class IconProvider {
 public:
  virtual ~IconProvider() = default;
  // An image file (.icns, .png ... through Qt's image plugins); a null icon
  // when it is missing or unreadable.
  virtual QIcon imageFromFile(const std::string& path) = 0;
  // The icon the file manager shows for `path`. An application bundle shows
  // the icon its Info.plist names.
  virtual QIcon iconForFile(const std::string& path) = 0;
  // The icon for a file type given as an extension ("" = a plain document).
  virtual QIcon iconForFileType(const std::string& type) = 0;
};

// Icons of the desktop's icon theme (Adwaita when none is set, as on the
// offscreen platform), with the theme's generic icons as fallbacks.
class ThemeIconProvider final : public IconProvider {
 public:
  ThemeIconProvider();
  QIcon imageFromFile(const std::string& path) override;
  QIcon iconForFile(const std::string& path) override;
  QIcon iconForFileType(const std::string& type) override;

  // The theme icon names tried for a file type, most specific first.
  static QStringList themeNamesForFileType(const std::string& type);
  // The image a bundle names as its icon (CFBundleIconFile), if it has one.
  static std::string bundleIconFile(const std::string& bundlePath);
};

}  // namespace vimbrel
