#pragma once

#include <QCoreApplication>
#include <QWidget>

namespace vimbrel {

class AppDelegate;
class GrantsPanel;

// The "Folders" page of the preferences window: the window's folder grants,
// each with its folder and validity, to change or remove. Removing the home
// or Applications grant brings the access sheet back; removing the
// whole-disk grant stops the search of the system folders.
class FoldersViewController : public QWidget {
 public:
  Q_DECLARE_TR_FUNCTIONS(FoldersViewController)

 public:
  explicit FoldersViewController(AppDelegate& delegate, QWidget* parent = nullptr);

  static QString identifier() { return QStringLiteral("PreferencesFolders"); }
  GrantsPanel* grants() const { return grants_; }

 protected:
  // The grants may have changed elsewhere (the access sheet, the command line).
  void showEvent(QShowEvent* event) override;

 private:
  GrantsPanel* grants_;
};

}  // namespace vimbrel
