#include "platform/ui/QtFolderChooser.h"

#include <QFileDialog>
#include <QGuiApplication>

namespace vimbrel {

std::optional<std::string> QtFolderChooser::chooseFolder(const FolderPanelOptions& options) {
  QFileDialog dialog(parent_, QString::fromStdString(options.title),
                     QString::fromStdString(options.startingFolder));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  dialog.setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  const QString platform = QGuiApplication::platformName();
  if (platform == "offscreen" || platform == "minimal") {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  }
  if (!options.prompt.empty()) {
    dialog.setLabelText(QFileDialog::Accept, QString::fromStdString(options.prompt));
  }
  dialog.setWindowModality(Qt::ApplicationModal);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.front().toStdString();
}

}  // namespace vimbrel
