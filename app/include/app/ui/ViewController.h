#pragma once

#include <QCoreApplication>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

#include "platform/ui/GlobalShortcut.h"

#include <QDialog>
class QPushButton;

namespace vimbrel {

class AppDelegate;
class Page;

// The main window's content: holds the current page, switches pages when
// their notifications are posted, checks the folder grants each time the
// window shows, and presents the sheets.
class ViewController : public QWidget {
 public:
  Q_DECLARE_TR_FUNCTIONS(ViewController)

 public:
  explicit ViewController(AppDelegate& delegate, QWidget* parent = nullptr);
  ~ViewController() override;

  // The page methods: each creates its page anew and makes it current.
  void home_view_controller();
  void applications_view_controller();
  void remainder_view_controller();
  void remove_view_controller();
  void extensions_view_controller();
  void plugins_view_controller();
  void prefpanes_view_controller();
  void safari_extensions_view_controller();

  // The start check: the access sheet while the home and Applications
  // grants are not both valid.
  void viewWillAppear();

  // Creates `identifier` from "Main" and presents it as a sheet of the window.
  QDialog* presentSheet(const QString& identifier);
  QDialog* presentSheet(QDialog* sheet);

  Page* currentPage() const;
  QDialog* viewcontrollerS() const { return viewcontrollerS_.data(); }
  bool shortcutIsSystemWide() const { return shortcut_ && shortcut_->isSystemWide(); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void swapPage(const char* identifier);
  // Moves the menu button into `page`'s header row, or into the window's own
  // row above the page when the page has none.
  void placeMenuButton(Page* page);
  void goBack();

  AppDelegate& delegate_;
  QWidget* containerView_;
  QPushButton* menuButton_;
  QWidget* topBar_;
  QPointer<Page> viewcontrollerC_;
  QPointer<QDialog> viewcontrollerS_;
  std::unique_ptr<GlobalShortcut> shortcut_;
};

}  // namespace vimbrel
