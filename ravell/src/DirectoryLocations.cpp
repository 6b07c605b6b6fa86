#include "DirectoryLocations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cerrno>

#include "RVLLog.h"
#include "platform/XdgFolders.h"

namespace vimbrel::directorylocations {

QString executableName() {
  if (QCoreApplication::instance()) {
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  }
  return QString::fromLocal8Bit(program_invocation_short_name);
}

QString libraryDirectory() {
  // The platform's rule, not Qt's: Qt takes a relative $XDG_DATA_HOME as it is.
  return QString::fromStdString(dataHome());
}

QString homeDirectory() { return QDir::homePath(); }

std::optional<QString> findOrCreateDirectory(const QString& base, const QString& component,
                                             QString* error) {
  if (base.isEmpty()) {
    if (error) *error = QStringLiteral("No path found for directory in domain.");
    return std::nullopt;
  }
  const QString path = component.isEmpty() ? base : base + QLatin1Char('/') + component;
  if (!QDir().mkpath(path)) {
    if (error) *error = QStringLiteral("Could not create the folder %1").arg(path);
    return std::nullopt;
  }
  return path;
}

std::optional<QString> applicationSupportDirectory() {
  QString error;
  auto path = findOrCreateDirectory(libraryDirectory(), executableName(), &error);
  if (!path) {
    rvllog::warning(
        QStringLiteral("Unable to find or create application support directory:\n%1").arg(error));
  }
  return path;
}

}  // namespace vimbrel::directorylocations
