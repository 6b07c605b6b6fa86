#pragma once

#include <QStyledItemDelegate>
#include <functional>

namespace vimbrel {

// Paints a review row: a group header, or a file row with its switch, icon,
// name, folder, note, size and reveal button; a click on the switch or the
// reveal button, and Space, act on the row. Colours come from the palette.
class RemainderRowDelegate : public QStyledItemDelegate {
 public:
  explicit RemainderRowDelegate(QObject* parent) : QStyledItemDelegate(parent) {}
  // Called with the row whose reveal button was clicked.
  void setOnReveal(std::function<void(int)> reveal) { onReveal_ = std::move(reveal); }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

  // Where the switch and the reveal button lie in a row's rectangle.
  static QRect switchRect(const QRect& row);
  static QRect revealRect(const QRect& row);

 private:
  std::function<void(int)> onReveal_;
};

}  // namespace vimbrel
