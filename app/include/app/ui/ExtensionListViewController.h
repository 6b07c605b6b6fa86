#pragma once

#include <QAbstractListModel>
#include <QCoreApplication>
#include <QIcon>
#include <QPointer>
#include <QStyledItemDelegate>
#include <functional>
#include <memory>
#include <unordered_map>

#include "app/ui/Page.h"
#include "app/ui/Popover.h"
#include "extensions/ExtensionListPage.h"
#include "platform/ui/IconProvider.h"

class QLabel;
class QLineEdit;
class QListView;
class QProgressBar;
class QPushButton;
class QTimer;

namespace vimbrel {

class AppDelegate;

// The rows of an extension list, read from its logic.
class ExtensionRowsModel : public QAbstractListModel {
 public:
  enum Role { FolderRole = Qt::UserRole + 1, SizeRole, LocationRole };

  ExtensionRowsModel(const extensions::ExtensionList& logic, IconProvider& icons,
                     QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  // The rows changed as a whole (a filter), or lost one, or got sizes.
  void reload();
  void removeRow(int row);
  void sizesArrived();

 private:
  const extensions::ExtensionList& logic_;
  IconProvider& icons_;
  // Icons by type or location, loaded when a row is first drawn.
  mutable std::unordered_map<std::string, QIcon> icons_cache_;
};

// Draws a row as the lists of the application do: the icon, the label over
// its folder, the size on the right, and a button that reveals the item.
// The label is blue while the row is selected and grey otherwise.
class ExtensionRowDelegate : public QStyledItemDelegate {
 public:
  using Reveal = std::function<void(int row)>;
  ExtensionRowDelegate(Reveal reveal, QObject* parent);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

  // Where a row's reveal button sits.
  static QRect revealRect(const QRect& row);

 private:
  Reveal reveal_;
};

// A page listing plug-ins, preference panes or Safari extensions: filled from
// its logic at once, sizes filled in as they arrive, a removal polled by a
// 0.3-second timer.
class ExtensionListViewController : public Page {
 public:
  Q_DECLARE_TR_FUNCTIONS(ExtensionListViewController)

 public:
  struct Texts {
    QString identifier;       // the page's identifier ("Plugins")
    QString title;            // "Plug-ins"
    QString subtitle;         // one line under the title
    QString table;            // the list's outlet name ("tableviewB")
    QString tableAccessible;  // what the list holds, for assistive tools
    QString removeAction;     // the remove button's action name ("remove_plugin")
    QString removeLabel;      // its title
    bool search = false;      // a filter field above the list
    QString emptyCatalog;     // in the list's place when there is nothing installed
    QString noMatch;          // in the list's place when the filter (%1) matches nothing
  };

  ExtensionListViewController(AppDelegate& delegate,
                              std::unique_ptr<extensions::ExtensionList> logic, Texts texts,
                              QWidget* parent = nullptr);
  ~ExtensionListViewController() override;

  void viewDidAppear() override;
  void show_in_finder(int row);
  void back_to_extensions();

  extensions::ExtensionList& logic() { return *logic_; }
  QListView* table() const { return table_; }
  QPushButton* removeButton() const { return removeButton_; }
  // The popover shown last (the information or the cannot-remove one).
  Popover* popover() const { return popover_.data(); }

  // The services a page logic needs from the application.
  static extensions::ExtensionPageServices pageServices(AppDelegate& delegate);

  // Presents `identifier` from "Main" as a sheet of the main window.
  void presentSheet(const QString& identifier);
  // Shows `identifier` from "Main" in a popover on the remove button.
  void showPopover(const QString& identifier);

 protected:
  // The remove button's action.
  virtual void remove() = 0;
  // Starts the progress and the timer after a removal started.
  void removalStarted();
  // The rows changed as a whole.
  void reloadRows();
  QLineEdit* searchField() const { return search_field_; }

  AppDelegate& appDelegate_;

 private:
  void timerProc();
  void selectionChanged();
  void updateButtons();
  void updateCount();

  std::unique_ptr<extensions::ExtensionList> logic_;
  ExtensionRowsModel* model_;
  QListView* table_;
  QLineEdit* search_field_ = nullptr;
  QLabel* count_;
  QLabel* empty_;
  Texts texts_;
  QProgressBar* progress_;
  QPushButton* removeButton_;
  QPushButton* revealButton_;
  QTimer* timer_;
  QPointer<Popover> popover_;
};

}  // namespace vimbrel
