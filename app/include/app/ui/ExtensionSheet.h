#pragma once

#include <QDialog>
#include <QIcon>

namespace vimbrel {

// A sheet of the extension lists that tells one thing and closes with OK:
// the empty-list sheets ("InstalledBundles", "InstalledPrefpanes",
// "InstalledSafariExtensions").
class ExtensionSheet : public QDialog {
 public:
  ExtensionSheet(const QString& identifier, const QIcon& icon, const QString& title,
                 const QString& text, QWidget* parent = nullptr);

  // The sheet of `identifier`, or nothing for another identifier.
  static ExtensionSheet* emptyListSheet(const QString& identifier, const QIcon& icon,
                                        QWidget* parent = nullptr);
};

}  // namespace vimbrel
