#include "app/ui/RemainderListView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QScrollBar>
#include <map>

#include "app/ui/RemainderModel.h"

namespace vimbrel {

namespace {

// One row of the review as a screen reader sees it.
class RowAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  RowAccessible(QListView* view, int row) : view_(view), row_(row) {}

  bool isValid() const override {
    return view_ && view_->model() != nullptr && row_ < view_->model()->rowCount();
  }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(view_.data());
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  QString text(QAccessible::Text kind) const override {
    if (!isValid()) return {};
    switch (kind) {
      case QAccessible::Name:
        return index().data(Qt::AccessibleTextRole).toString();
      case QAccessible::Description:
        return index().data(Qt::AccessibleDescriptionRole).toString();
      default:
        return {};
    }
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!isValid()) return {};
    const QRect local = view_->visualRect(index());
    return QRect(view_->viewport()->mapToGlobal(local.topLeft()), local.size());
  }
  QAccessible::Role role() const override {
    return isHeader() ? QAccessible::StaticText : QAccessible::CheckBox;
  }
  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) {
      state.invalid = true;
      return state;
    }
    const QRect shown = view_->visualRect(index());
    if (!shown.intersects(view_->viewport()->rect())) state.offscreen = true;
    if (isHeader()) return state;
    const Qt::ItemFlags flags = index().flags();
    state.checkable = true;
    state.checked = index().data(Qt::CheckStateRole).toInt() == Qt::Checked;
    state.disabled = (flags & Qt::ItemIsEnabled) == 0;
    state.focusable = !state.disabled;
    state.focused = view_->hasFocus() && view_->currentIndex() == index();
    state.selectable = true;
    state.selected =
        view_->selectionModel() != nullptr && view_->selectionModel()->isSelected(index());
    return state;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
  }

  QStringList actionNames() const override {
    if (!isValid() || isHeader() || (index().flags() & Qt::ItemIsEnabled) == 0) return {};
    return {toggleAction(), setFocusAction()};
  }
  void doAction(const QString& action) override {
    if (!isValid()) return;
    if (action == toggleAction()) {
      const bool on = index().data(Qt::CheckStateRole).toInt() == Qt::Checked;
      view_->model()->setData(index(), on ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    } else if (action == setFocusAction()) {
      view_->setFocus(Qt::OtherFocusReason);
      view_->setCurrentIndex(index());
    }
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QModelIndex index() const { return view_->model()->index(row_, 0); }
  bool isHeader() const { return index().data(RemainderModel::IsHeaderRole).toBool(); }

  QPointer<QListView> view_;
  int row_;
};

// The list: its children are the rows, each made once and kept while the
// list lives, so that a screen reader's handle on a row stays valid.
class ListAccessible final : public QAccessibleWidget {
 public:
  explicit ListAccessible(QListView* view) : QAccessibleWidget(view, QAccessible::List) {}
  ~ListAccessible() override {
    for (const auto& [row, id] : rows_) QAccessible::deleteAccessibleInterface(id);
  }

  int childCount() const override {
    return view()->model() != nullptr ? view()->model()->rowCount() : 0;
  }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    auto known = rows_.find(index);
    if (known == rows_.end()) {
      known =
          rows_
              .emplace(index,
                       QAccessible::registerAccessibleInterface(new RowAccessible(view(), index)))
              .first;
    }
    return QAccessible::accessibleInterface(known->second);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (const auto& [row, id] : rows_) {
      if (QAccessible::accessibleInterface(id) == child) return row;
    }
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const QPoint local = view()->viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = view()->indexAt(local);
    return index.isValid() ? child(index.row()) : nullptr;
  }

 private:
  QListView* view() const { return static_cast<QListView*>(widget()); }
  mutable std::map<int, QAccessible::Id> rows_;
};

QAccessibleInterface* reviewListFactory(const QString& key, QObject* object) {
  if (key == QLatin1String("vimbrel::RemainderListView")) {
    if (auto* view = qobject_cast<RemainderListView*>(object)) return new ListAccessible(view);
  }
  return nullptr;
}

}  // namespace

RemainderListView::RemainderListView(QWidget* parent) : QListView(parent) {
  static const bool installed = [] {
    QAccessible::installFactory(reviewListFactory);
    return true;
  }();
  (void)installed;
  // Every row has the same height (see RemainderRowDelegate).
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFrameShape(QFrame::NoFrame);
  setMouseTracking(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // A slim scroll bar in the palette's colours, as the pages' other lists.
  setStyleSheet(
      "QScrollBar:vertical { background: transparent; width: 8px; margin: 2px; }"
      "QScrollBar::handle:vertical { background: palette(mid); border-radius: 3px;"
      " min-height: 30px; }"
      "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }"
      "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }");
}

}  // namespace vimbrel
