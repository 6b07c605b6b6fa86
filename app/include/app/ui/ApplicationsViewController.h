#pragma once

#include <QAbstractListModel>
#include <QCoreApplication>
#include <QStyledItemDelegate>
#include <memory>
#include <unordered_map>
#include <vector>

#include "app/ui/Page.h"
#include "engine/ApplicationItem.h"

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

namespace vimbrel {

class AppDelegate;
class IconProvider;

// The rows shown: a filtered view of the catalog's list, in catalog order.
class ApplicationsModel : public QAbstractListModel {
 public:
  ApplicationsModel(IconProvider& icons, QObject* parent);

  void setApplications(std::vector<std::shared_ptr<ApplicationItem>> items);
  // Keeps the records whose label contains `text` without regard to case and
  // accents; an empty text keeps them all.
  void filter(const QString& text);

  std::shared_ptr<ApplicationItem> recordAt(int row) const;
  std::size_t totalCount() const { return shadow_copy_.size(); }

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  IconProvider& icons_;
  std::vector<std::shared_ptr<ApplicationItem>> shadow_copy_;
  std::vector<std::shared_ptr<ApplicationItem>> install_items_;
  mutable std::unordered_map<const ApplicationItem*, QIcon> iconCache_;
};

// Draws a row: icon, label (grey, blue when selected), the selection bar at
// the right and the separator that starts after the icon column.
class ApplicationsRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// The installed applications, with a filter; picking one and going on opens
// its review.
class ApplicationsViewController : public Page {
 public:
  Q_DECLARE_TR_FUNCTIONS(ApplicationsViewController)

 public:
  ApplicationsViewController(AppDelegate& delegate, QWidget* parent = nullptr);

  void viewDidAppear() override;
  void home_back();
  void remainder_next();
  void controlTextDidChange();

  ApplicationsModel* model() const { return model_; }
  QListView* tableviewA() const { return tableviewA_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void tableViewSelectionDidChange();
  void updateCount();

  AppDelegate& appDelegate_;
  ApplicationsModel* model_;
  QListView* tableviewA_;
  QLineEdit* search_field_;
  QPushButton* switch_next_;
  QLabel* count_;
  QLabel* empty_;
};

}  // namespace vimbrel
