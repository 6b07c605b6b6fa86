#include "app/ui/ApplicationsViewController.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

#include "app/ui/AppDelegate.h"
#include "app/ui/FilterField.h"
#include "app/ui/Icons.h"
#include "app/ui/MainWindow.h"
#include "app/ui/Style.h"
#include "app/ui/ViewController.h"
#include "engine/Application.h"
#include "engine/LabelFilter.h"

namespace vimbrel {

ApplicationsModel::ApplicationsModel(IconProvider& icons, QObject* parent)
    : QAbstractListModel(parent), icons_(icons) {}

void ApplicationsModel::setApplications(std::vector<std::shared_ptr<ApplicationItem>> items) {
  beginResetModel();
  shadow_copy_ = std::move(items);
  install_items_ = shadow_copy_;
  iconCache_.clear();
  endResetModel();
}

void ApplicationsModel::filter(const QString& text) {
  beginResetModel();
  if (text.isEmpty()) {
    install_items_ = shadow_copy_;
  } else {
    install_items_.clear();
    const LabelFilter labels(text.toStdString());
    for (const auto& record : shadow_copy_) {
      if (labels.keeps(record->label)) install_items_.push_back(record);
    }
  }
  endResetModel();
}

std::shared_ptr<ApplicationItem> ApplicationsModel::recordAt(int row) const {
  if (row < 0 || row >= static_cast<int>(install_items_.size())) return nullptr;
  return install_items_[static_cast<std::size_t>(row)];
}

int ApplicationsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(install_items_.size());
}

QVariant ApplicationsModel::data(const QModelIndex& index, int role) const {
  const auto record = recordAt(index.row());
  if (!record) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
      return QString::fromStdString(record->label);
    case Qt::ToolTipRole:
      return QString::fromStdString(record->url);
    case Qt::DecorationRole: {
      // Icons are loaded when a row is first drawn, and kept.
      auto cached = iconCache_.find(record.get());
      if (cached != iconCache_.end()) return cached->second;
      QIcon icon = ui::iconFor(icons_, record->icon);
      if (icon.isNull()) icon = ui::iconFor(icons_, record->app_icon);
      iconCache_.emplace(record.get(), icon);
      return icon;
    }
    default:
      return {};
  }
}

void ApplicationsRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  const QRect row = option.rect;
  const bool selected = option.state & QStyle::State_Selected;
  if (option.state & QStyle::State_MouseOver && !selected) {
    painter->fillRect(row, ui::colors::kHover);
  }
  const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
  const QRect iconRect(row.left() + 18, row.top() + 8, 36, 36);
  if (!icon.isNull()) icon.paint(painter, iconRect);
  QFont font = option.font;
  font.setPointSizeF(font.pointSizeF() + 1.5);
  if (selected) font.setWeight(QFont::DemiBold);
  painter->setFont(font);
  painter->setPen(selected ? ui::colors::kRowTextSelected : ui::colors::kRowText);
  const QRect textRect(row.left() + 72, row.top(), row.width() - 72 - 30, row.height());
  painter->drawText(
      textRect, Qt::AlignVCenter | Qt::AlignLeft,
      painter->fontMetrics().elidedText(index.data().toString(), Qt::ElideRight, textRect.width()));
  if (selected) {
    // The selection mark: a short vertical bar in the accent gradient.
    const QRectF bar(row.right() - 14, row.top(), 6, row.height());
    QLinearGradient gradient(bar.topLeft(), bar.bottomLeft());
    gradient.setColorAt(0, ui::colors::kSelectionStart);
    gradient.setColorAt(1, ui::colors::kSelectionEnd);
    painter->fillRect(bar, gradient);
  }
  // The separator starts after the icon column.
  painter->fillRect(QRect(row.left() + 72, row.bottom(), row.width() - 72, 1),
                    ui::colors::kSeparator);
  if (option.state & QStyle::State_HasFocus && selected) {
    painter->setPen(QPen(QColor(ui::colors::kRowTextSelected), 1.5));
    painter->drawRoundedRect(QRectF(row).adjusted(1, 1, -1, -1), 4, 4);
  }
  painter->restore();
}

QSize ApplicationsRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
  return {320, ui::kApplicationRowHeight};
}

ApplicationsViewController::ApplicationsViewController(AppDelegate& delegate, QWidget* parent)
    : Page(parent),
      appDelegate_(delegate),
      model_(new ApplicationsModel(*delegate.services().icons, this)),
      tableviewA_(new QListView(this)),
      search_field_(new QLineEdit(this)),
      switch_next_(new QPushButton(tr("Next"), this)),
      count_(ui::secondaryLabel({}, this)),
      empty_(ui::secondaryLabel({}, this)) {
  setObjectName("Applications");

  // Header: back, title, count, filter.
  auto* back = new QPushButton(tr("‹  Home"), this);
  back->setObjectName("home_back");
  back->setAccessibleName(tr("Home"));
  back->setAccessibleDescription(tr("Back to Home"));
  ui::makeRoundButton(back);
  setBackButton(back);
  auto* title = ui::titleLabel(tr("Applications"), this, 7);
  search_field_->setObjectName("search_field");
  search_field_->setPlaceholderText(tr("Filter applications"));
  search_field_->setAccessibleName(tr("Filter applications"));
  search_field_->setClearButtonEnabled(true);
  ui::nameClearButton(search_field_);
  search_field_->setMinimumWidth(120);
  search_field_->setMaximumWidth(240);
  search_field_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  ui::makeSearchField(search_field_);
  auto* header = new QHBoxLayout;
  header->addWidget(back);
  header->addSpacing(14);
  auto* titles = new QVBoxLayout;
  titles->setSpacing(0);
  titles->addWidget(title);
  titles->addWidget(count_);
  header->addLayout(titles);
  header->addStretch();
  header->addWidget(search_field_, 1);
  header->addSpacing(4);
  setHeaderRow(header);  // the window's menu button ends it

  tableviewA_->setObjectName("tableviewA");
  tableviewA_->setAccessibleName(tr("Installed applications"));
  tableviewA_->setModel(model_);
  tableviewA_->setItemDelegate(new ApplicationsRowDelegate(tableviewA_));
  tableviewA_->setUniformItemSizes(true);
  tableviewA_->setSelectionMode(QAbstractItemView::SingleSelection);
  tableviewA_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tableviewA_->setMouseTracking(true);
  tableviewA_->setFrameShape(QFrame::NoFrame);
  tableviewA_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  tableviewA_->setStyleSheet(
      "QListView { background: transparent; outline: none; }"
      "QScrollBar:vertical { background: transparent; width: 8px; margin: 2px; }"
      "QScrollBar::handle:vertical { background: " +
      ui::colors::css(ui::colors::Role::Separator) +
      "; border-radius: 3px;"
      " min-height: 30px; }"
      "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }"
      "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }");
  tableviewA_->viewport()->setAutoFillBackground(false);
  tableviewA_->installEventFilter(this);
  search_field_->installEventFilter(this);

  switch_next_->setObjectName("remainder_next");
  switch_next_->setAccessibleName(tr("Next"));
  switch_next_->setAccessibleDescription(tr("Review the selected application"));
  ui::makeAccentButton(switch_next_);
  switch_next_->setEnabled(false);
  auto* footer = new QHBoxLayout;
  auto* hint = ui::secondaryLabel(tr("Pick an application to see what it leaves behind."), this);
  hint->setWordWrap(true);
  footer->addWidget(hint, 1);
  footer->addStretch();
  footer->addWidget(switch_next_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 16, 24, 18);
  layout->setSpacing(12);
  layout->addLayout(header);
  layout->addWidget(tableviewA_, 1);
  // In the list's place when the filter matches nothing.
  empty_->setObjectName("empty_state");
  empty_->setAlignment(Qt::AlignCenter);
  empty_->setWordWrap(true);
  empty_->hide();
  QFont emptyFont = empty_->font();
  emptyFont.setPointSizeF(emptyFont.pointSizeF() + 2);
  empty_->setFont(emptyFont);
  layout->addWidget(empty_, 1);
  layout->addLayout(footer);

  connect(back, &QPushButton::clicked, this, [this] { home_back(); });
  connect(switch_next_, &QPushButton::clicked, this, [this] { remainder_next(); });
  connect(search_field_, &QLineEdit::textChanged, this, [this] { controlTextDidChange(); });
  connect(tableviewA_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { tableViewSelectionDidChange(); });
  connect(tableviewA_, &QListView::doubleClicked, this, [this] { remainder_next(); });
  auto* find = new QShortcut(QKeySequence::Find, this);
  connect(find, &QShortcut::activated, this, [this] {
    search_field_->setFocus(Qt::ShortcutFocusReason);
    search_field_->selectAll();
  });

  // viewDidLoad: the catalog, synchronously.
  Application catalog(*delegate.services().fileSystem, delegate.app_settings());
  std::vector<ApplicationItem>& found = catalog.installedApplications();
  std::vector<std::shared_ptr<ApplicationItem>> records;
  records.reserve(found.size());
  for (ApplicationItem& item : found) {
    records.push_back(std::make_shared<ApplicationItem>(std::move(item)));
  }
  model_->setApplications(std::move(records));
  updateCount();
  setFocusProxy(tableviewA_);
}

void ApplicationsViewController::viewDidAppear() {
  if (model_->totalCount() == 0) {
    if (MainWindow* window = appDelegate_.window()) {
      window->viewController()->presentSheet("Installedapps");
    }
    return;
  }
  tableviewA_->setFocus();
}

void ApplicationsViewController::updateCount() {
  const int shown = model_->rowCount();
  const auto total = static_cast<int>(model_->totalCount());
  count_->setText(shown == total ? tr("%1 installed").arg(total)
                                 : tr("%1 of %2 shown").arg(shown).arg(total));
  const bool nothing = shown == 0;
  if (nothing) {
    empty_->setText(total == 0 ? tr("No applications found in the folders you allowed.")
                               : tr("No application matches “%1”").arg(search_field_->text()));
  }
  empty_->setVisible(nothing);
  tableviewA_->setVisible(!nothing);
}

void ApplicationsViewController::tableViewSelectionDidChange() {
  const QModelIndexList rows = tableviewA_->selectionModel()->selectedRows();
  if (rows.isEmpty()) return;
  switch_next_->setEnabled(true);
  appDelegate_.state().set_item(model_->recordAt(rows.front().row()));
}

void ApplicationsViewController::controlTextDidChange() {
  model_->filter(search_field_->text());
  updateCount();
}

void ApplicationsViewController::home_back() {
  appDelegate_.center().post(notifications::kHomeViewController);
}

void ApplicationsViewController::remainder_next() {
  if (!appDelegate_.state().item()) return;
  appDelegate_.center().post(notifications::kRemainderViewController);
}

bool ApplicationsViewController::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return Page::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
  if (enter && switch_next_->isEnabled()) {
    remainder_next();
    return true;
  }
  if (watched == search_field_ && key->key() == Qt::Key_Down && model_->rowCount() > 0) {
    tableviewA_->setFocus();
    QModelIndex row = tableviewA_->currentIndex();
    if (!row.isValid()) row = model_->index(0);
    tableviewA_->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect);
    return true;
  }
  return Page::eventFilter(watched, event);
}

}  // namespace vimbrel
