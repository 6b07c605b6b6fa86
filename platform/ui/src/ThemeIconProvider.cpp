#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeDatabase>

#include "platform/Bundle.h"
#include "platform/Paths.h"
#include "platform/ui/IconProvider.h"
#include "platform/ui/SymbolicIcon.h"

namespace vimbrel {

namespace {

// Symbolic icons first: they are scalable and follow the palette's colours.
QIcon firstThemeIcon(const QStringList& names) { return symbolicThemeIcon(names); }

}  // namespace

ThemeIconProvider::ThemeIconProvider() {
  // Platforms without a desktop theme (offscreen, a bare X server) look only
  // in Qt's resources: add the system's icon folders.
  QStringList searchPaths = QIcon::themeSearchPaths();
  QStringList dataDirs = qEnvironmentVariable("XDG_DATA_DIRS").split(':', Qt::SkipEmptyParts);
  if (dataDirs.isEmpty()) dataDirs = {"/usr/local/share", "/usr/share"};
  for (const QString& dir : dataDirs) {
    const QString icons = dir + "/icons";
    if (!searchPaths.contains(icons) && QDir(icons).exists()) searchPaths << icons;
  }
  QIcon::setThemeSearchPaths(searchPaths);
  if (QIcon::themeName().isEmpty() || QIcon::themeName() == "hicolor") {
    for (const QString& theme : {QStringLiteral("Adwaita"), QStringLiteral("breeze")}) {
      if (QDir("/usr/share/icons/" + theme).exists()) {
        QIcon::setThemeName(theme);
        break;
      }
    }
  }
}

QIcon ThemeIconProvider::imageFromFile(const std::string& path) {
  const QString file = QString::fromStdString(path);
  if (path.empty() || !QFileInfo(file).isFile()) return {};
  QImageReader reader(file);
  if (!reader.canRead()) return {};
  return QIcon(file);
}

std::string ThemeIconProvider::bundleIconFile(const std::string& bundlePath) {
  auto bundle = Bundle::open(bundlePath);
  if (!bundle) return {};
  auto iconFile = bundle->infoString("CFBundleIconFile");
  if (!iconFile || iconFile->empty()) return {};
  std::string name = *iconFile;
  if (name.find('.') != std::string::npos) name = name.substr(0, name.find('.'));
  auto resource = bundle->imageResource(name);
  return resource ? *resource : std::string();
}

QIcon ThemeIconProvider::iconForFile(const std::string& path) {
  const QFileInfo info(QString::fromStdString(path));
  if (info.isDir() && paths::isPackageName(paths::lastComponent(path))) {
    QIcon own = imageFromFile(bundleIconFile(path));
    if (!own.isNull()) return own;
    return firstThemeIcon({"application-x-executable", "package-x-generic"});
  }
  if (info.isDir()) return firstThemeIcon({"folder"});
  // By name only: reading every file's first bytes would cost a disk read per row.
  const QMimeType type = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension);
  QIcon icon = firstThemeIcon({type.iconName(), type.genericIconName()});
  return icon.isNull() ? iconForFileType("") : icon;
}

QStringList ThemeIconProvider::themeNamesForFileType(const std::string& type) {
  if (type == "webloc") return {"text-html", "application-x-mswinurl", "text-x-generic"};
  if (type == "crash") return {"text-x-log", "text-x-generic"};
  if (type == "bundle") return {"package-x-generic", "application-x-addon", "folder"};
  if (type == "help") return {"help-browser", "help-contents", "text-x-generic"};
  if (type == "workflow") return {"application-x-executable", "system-run", "text-x-script"};
  if (type.empty()) return {"text-x-generic", "application-octet-stream"};
  const QMimeType mime = QMimeDatabase().mimeTypeForFile("file." + QString::fromStdString(type),
                                                         QMimeDatabase::MatchExtension);
  return {mime.iconName(), mime.genericIconName(), "text-x-generic"};
}

QIcon ThemeIconProvider::iconForFileType(const std::string& type) {
  return firstThemeIcon(themeNamesForFileType(type));
}

}  // namespace vimbrel
