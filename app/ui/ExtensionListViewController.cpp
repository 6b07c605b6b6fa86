#include "app/ui/ExtensionListViewController.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/ui/AppDelegate.h"
#include "app/ui/ExtensionIcons.h"
#include "app/ui/MainWindow.h"
#include "app/ui/Popover.h"
#include "app/ui/Style.h"
#include "app/ui/ViewController.h"

namespace vimbrel {

namespace {

constexpr int kRowHeight = 56;
constexpr int kIconColumn = 70;
constexpr int kSizeColumn = 96;
constexpr int kRevealSize = 26;
// The removal is polled as often as this.
constexpr int kTimerMs = 300;

QIcon revealIcon() {
  QIcon themed = ui::symbolicIcon({"folder-open", "document-open", "system-search"});
  if (!themed.isNull()) return themed;
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(ui::colors::kSecondaryText), 3, Qt::SolidLine, Qt::RoundCap));
  painter.drawEllipse(QPointF(13, 13), 8, 8);
  painter.drawLine(QPointF(19, 19), QPointF(27, 27));
  return QIcon(pixmap);
}

}  // namespace

ExtensionRowsModel::ExtensionRowsModel(const extensions::ExtensionList& logic, IconProvider& icons,
                                       QObject* parent)
    : QAbstractListModel(parent), logic_(logic), icons_(icons) {}

int ExtensionRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(logic_.numberOfRows());
}

QVariant ExtensionRowsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const extensions::ExtensionRow row = logic_.row(static_cast<std::size_t>(index.row()));
  const QString size = row.size ? ui::sizeText(*row.size) : QStringLiteral("…");
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(row.label);
    case Qt::AccessibleTextRole:
      return QString("%1, %2, %3")
          .arg(QString::fromStdString(row.label), QString::fromStdString(row.folder), size);
    case Qt::ToolTipRole:
    case LocationRole:
      return QString::fromStdString(row.location);
    case FolderRole:
      return QString::fromStdString(row.folder);
    case SizeRole:
      return size;
    case Qt::DecorationRole: {
      const std::string key = row.iconType.empty() ? row.location : "type:" + row.iconType;
      auto cached = icons_cache_.find(key);
      if (cached != icons_cache_.end()) return cached->second;
      QIcon icon;
      if (row.iconType == "bundle") {
        icon = ui::pluginIcon();
      } else if (row.iconType == "safariextz") {
        icon = ui::safariExtensionIcon();
      } else if (row.icon.kind == ImageRef::Kind::ImageFile) {
        icon = icons_.imageFromFile(row.icon.path);
      }
      // A pane without an image of its own.
      if (icon.isNull()) icon = ui::prefPaneIcon();
      icons_cache_.emplace(key, icon);
      return icon;
    }
    default:
      return {};
  }
}

void ExtensionRowsModel::reload() {
  beginResetModel();
  endResetModel();
}

void ExtensionRowsModel::removeRow(int row) {
  // The logic has already dropped the row; the view only learns of it.
  beginRemoveRows({}, row, row);
  endRemoveRows();
}

void ExtensionRowsModel::sizesArrived() {
  if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1), {SizeRole});
}

ExtensionRowDelegate::ExtensionRowDelegate(Reveal reveal, QObject* parent)
    : QStyledItemDelegate(parent), reveal_(std::move(reveal)) {}

QRect ExtensionRowDelegate::revealRect(const QRect& row) {
  return QRect(row.right() - 16 - kRevealSize, row.center().y() - kRevealSize / 2 + 1, kRevealSize,
               kRevealSize);
}

void ExtensionRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  const QRect row = option.rect;
  const bool selected = option.state & QStyle::State_Selected;
  if (selected) {
    painter->fillRect(row, ui::colors::kAccentWash);
  } else if (option.state & QStyle::State_MouseOver) {
    painter->fillRect(row, ui::colors::kHover);
  }
  const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
  icon.paint(painter, QRect(row.left() + 18, row.top() + 10, 36, 36));

  const int textLeft = row.left() + kIconColumn;
  const QRect reveal = ExtensionRowDelegate::revealRect(row);
  const int sizeRight = reveal.left() - 12;
  const int textWidth = sizeRight - kSizeColumn - textLeft - 8;
  QFont label = option.font;
  label.setPointSizeF(label.pointSizeF() + 1.5);
  if (selected) label.setWeight(QFont::DemiBold);
  painter->setFont(label);
  painter->setPen(selected ? ui::colors::kRowTextSelected : ui::colors::kRowText);
  const QRect labelRect(textLeft, row.top() + 8, textWidth, row.height() / 2 - 6);
  painter->drawText(labelRect, Qt::AlignLeft | Qt::AlignBottom,
                    painter->fontMetrics().elidedText(index.data().toString(), Qt::ElideRight,
                                                      labelRect.width()));
  QFont small = option.font;
  small.setPointSizeF(small.pointSizeF() - 0.5);
  painter->setFont(small);
  painter->setPen(selected ? ui::colors::kRowTextSelected : ui::colors::kSecondaryText);
  const QRect folderRect(textLeft, row.top() + row.height() / 2 + 2, textWidth,
                         row.height() / 2 - 8);
  painter->drawText(folderRect, Qt::AlignLeft | Qt::AlignTop,
                    ui::elidedPath(index.data(ExtensionRowsModel::FolderRole).toString(),
                                   painter->fontMetrics(), folderRect.width()));
  painter->setFont(option.font);
  painter->setPen(selected ? ui::colors::kRowTextSelected : ui::colors::kRowText);
  painter->drawText(QRect(sizeRight - kSizeColumn, row.top(), kSizeColumn, row.height()),
                    Qt::AlignRight | Qt::AlignVCenter,
                    index.data(ExtensionRowsModel::SizeRole).toString());
  if (option.state & QStyle::State_MouseOver || selected) {
    revealIcon().paint(painter, reveal.adjusted(5, 5, -5, -5));
  }
  painter->fillRect(QRect(textLeft, row.bottom(), row.width() - textLeft, 1),
                    ui::colors::kSeparator);
  if (option.state & QStyle::State_HasFocus) {
    painter->setPen(QPen(QColor(ui::colors::kRowTextSelected), 1.5));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(QRectF(row).adjusted(1, 1, -1, -1), 4, 4);
  }
  painter->restore();
}

QSize ExtensionRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
  return {420, kRowHeight};
}

bool ExtensionRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                       const QStyleOptionViewItem& option,
                                       const QModelIndex& index) {
  if (event->type() == QEvent::MouseButtonRelease) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton &&
        revealRect(option.rect).contains(mouse->position().toPoint())) {
      reveal_(index.row());
      return true;
    }
  }
  return QStyledItemDelegate::editorEvent(event, model, option, index);
}

extensions::ExtensionPageServices ExtensionListViewController::pageServices(AppDelegate& delegate) {
  return {*delegate.services().fileSystem, delegate.app_settings(), delegate.state(),
          [&delegate](const std::string& name) { delegate.center().post(name); }};
}

ExtensionListViewController::ExtensionListViewController(
    AppDelegate& delegate, std::unique_ptr<extensions::ExtensionList> logic, Texts texts,
    QWidget* parent)
    : Page(parent),
      appDelegate_(delegate),
      logic_(std::move(logic)),
      model_(new ExtensionRowsModel(*logic_, *delegate.services().icons, this)),
      table_(new QListView(this)),
      count_(ui::secondaryLabel("", this)),
      empty_(ui::secondaryLabel("", this)),
      texts_(texts),
      progress_(new QProgressBar(this)),
      removeButton_(new QPushButton(texts.removeLabel, this)),
      revealButton_(new QPushButton(tr("Show in Files"), this)),
      timer_(new QTimer(this)) {
  setObjectName(texts.identifier);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 20, 24, 16);
  layout->setSpacing(10);

  auto* header = new QHBoxLayout;
  header->setSpacing(12);
  auto* back = new QPushButton(tr("‹  Extensions"), this);
  back->setObjectName("back_to_extensions");
  back->setAccessibleName(tr("Back to Extensions"));
  ui::makeRoundButton(back);
  setBackButton(back);
  header->addWidget(back, 0, Qt::AlignTop);
  header->addSpacing(10);
  auto* titles = new QVBoxLayout;
  titles->setSpacing(0);
  titles->addWidget(ui::titleLabel(texts.title, this, 7));
  auto* subtitle = ui::secondaryLabel(texts.subtitle, this);
  subtitle->setObjectName("subtitle");
  subtitle->setWordWrap(true);
  titles->addWidget(subtitle);
  header->addLayout(titles, 1);
  if (texts.search) {
    search_field_ = new QLineEdit(this);
    search_field_->setObjectName("search_field");
    search_field_->setPlaceholderText(tr("Filter"));
    search_field_->setAccessibleName(tr("Filter %1").arg(texts.title));
    search_field_->setClearButtonEnabled(true);
    // The field's own clear button is named too, for assistive tools.
    for (auto* clear : search_field_->findChildren<QToolButton*>()) {
      clear->setObjectName("clear_search_field");
      clear->setAccessibleName(tr("Clear the filter"));
    }
    search_field_->setMinimumWidth(110);
    search_field_->setMaximumWidth(200);
    ui::makeSearchField(search_field_);
    header->addWidget(search_field_, 0, Qt::AlignTop);
  }
  setHeaderRow(header);  // the window's menu button ends it
  layout->addLayout(header);

  table_->setObjectName(texts.table);
  table_->setAccessibleName(texts.tableAccessible);
  table_->setModel(model_);
  table_->setItemDelegate(
      new ExtensionRowDelegate([this](int row) { show_in_finder(row); }, table_));
  table_->setMouseTracking(true);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setUniformItemSizes(true);
  table_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  table_->setFrameShape(QFrame::NoFrame);
  table_->setStyleSheet(QString("QListView { background: transparent; border-top: 1px solid %1;"
                                " border-bottom: 1px solid %1; outline: none; }")
                            .arg(ui::colors::css(ui::colors::Role::Separator)));
  table_->viewport()->setAutoFillBackground(false);
  layout->addWidget(table_, 1);
  // In the list's place when there is nothing to show.
  empty_->setObjectName("empty_state");
  empty_->setAlignment(Qt::AlignCenter);
  empty_->setWordWrap(true);
  QFont emptyFont = empty_->font();
  emptyFont.setPointSizeF(emptyFont.pointSizeF() + 2);
  empty_->setFont(emptyFont);
  empty_->hide();
  layout->addWidget(empty_, 1);

  auto* footer = new QHBoxLayout;
  footer->setSpacing(10);
  footer->addWidget(count_);
  progress_->setObjectName("progress");
  progress_->setAccessibleName(tr("Removing"));
  progress_->setRange(0, 0);
  progress_->setTextVisible(false);
  progress_->setFixedSize(120, 6);
  progress_->setStyleSheet(
      QString("QProgressBar { background: %1; border: none; border-radius: 3px; }"
              "QProgressBar::chunk { background: %2; border-radius: 3px; }")
          .arg(ui::colors::css(ui::colors::Role::Separator),
               ui::colors::css(ui::colors::Role::SelectionEnd)));
  progress_->hide();
  footer->addWidget(progress_, 0, Qt::AlignVCenter);
  footer->addStretch();
  revealButton_->setObjectName("show_in_finder");
  revealButton_->setAccessibleName(tr("Show the selected item in the file manager"));
  ui::makeRoundButton(revealButton_);
  footer->addWidget(revealButton_);
  removeButton_->setObjectName(texts.removeAction);
  removeButton_->setAccessibleName(texts.removeLabel);
  ui::makeAccentButton(removeButton_);
  footer->addWidget(removeButton_);
  layout->addLayout(footer);

  timer_->setInterval(kTimerMs);
  connect(timer_, &QTimer::timeout, this, [this] { timerProc(); });
  connect(back, &QPushButton::clicked, this, [this] { back_to_extensions(); });
  connect(removeButton_, &QPushButton::clicked, this, [this] { remove(); });
  connect(revealButton_, &QPushButton::clicked, this, [this] {
    if (auto row = logic_->selectedRow()) show_in_finder(static_cast<int>(*row));
  });
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { selectionChanged(); });
  auto* find = new QShortcut(QKeySequence::Find, this);
  connect(find, &QShortcut::activated, this, [this] {
    if (search_field_) search_field_->setFocus(Qt::ShortcutFocusReason);
  });

  // viewDidLoad: the catalog at once; each size as it arrives.
  QPointer<ExtensionRowsModel> model = model_;
  logic_->viewDidLoad([model] {
    QMetaObject::invokeMethod(
        model,
        [model] {
          if (model) model->sizesArrived();
        },
        Qt::QueuedConnection);
  });
  model_->reload();
  updateCount();
  updateButtons();
  setFocusProxy(table_);
}

ExtensionListViewController::~ExtensionListViewController() {
  // The size worker and a running removal end before the model goes.
  logic_.reset();
}

void ExtensionListViewController::viewDidAppear() {
  const extensions::PageAppearance appearance = logic_->viewDidAppear();
  if (appearance.emptySheet) presentSheet(QString::fromStdString(*appearance.emptySheet));
  if (appearance.popover) showPopover(QString::fromStdString(*appearance.popover));
  if (!appearance.emptySheet) table_->setFocus();
}

void ExtensionListViewController::show_in_finder(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  appDelegate_.services().fileViewer->reveal(
      {logic_->show_in_finder(static_cast<std::size_t>(row))});
}

void ExtensionListViewController::back_to_extensions() { logic_->back_to_extensions(); }

void ExtensionListViewController::removalStarted() {
  progress_->show();
  timer_->start();
  updateButtons();
}

void ExtensionListViewController::timerProc() {
  const auto finished = logic_->timer_proc();
  if (!finished) return;
  timer_->stop();
  progress_->hide();
  if (finished->removedRow) {
    const QSignalBlocker quiet(table_->selectionModel());
    model_->removeRow(static_cast<int>(*finished->removedRow));
    table_->clearSelection();
  }
  updateCount();
  updateButtons();
  if (finished->cantRemove) showPopover("BundleCantRemove");
}

void ExtensionListViewController::selectionChanged() {
  const QModelIndexList rows = table_->selectionModel()->selectedRows();
  logic_->tableViewSelectionDidChange(
      rows.isEmpty() ? std::nullopt : std::optional<std::size_t>(rows.front().row()));
  updateButtons();
  table_->viewport()->update();
}

void ExtensionListViewController::updateButtons() {
  removeButton_->setEnabled(logic_->removeEnabled());
  revealButton_->setEnabled(logic_->selectedRow().has_value());
}

void ExtensionListViewController::updateCount() {
  const auto shown = static_cast<qulonglong>(logic_->numberOfRows());
  const auto total = static_cast<qulonglong>(logic_->catalogSize());
  const bool filtered = search_field_ != nullptr && !search_field_->text().isEmpty();
  count_->setText(shown == total || !filtered
                      ? (shown == 1 ? tr("%1 item") : tr("%1 items")).arg(shown)
                      : tr("%1 of %2 shown").arg(shown).arg(total));
  const bool nothing = shown == 0;
  if (nothing) {
    empty_->setText(filtered && total > 0 ? texts_.noMatch.arg(search_field_->text())
                                          : texts_.emptyCatalog);
  }
  empty_->setVisible(nothing);
  table_->setVisible(!nothing);
}

void ExtensionListViewController::reloadRows() {
  const QSignalBlocker quiet(table_->selectionModel());
  model_->reload();
  updateCount();
  updateButtons();
}

void ExtensionListViewController::presentSheet(const QString& identifier) {
  if (MainWindow* window = appDelegate_.window()) {
    window->viewController()->presentSheet(identifier);
  }
}

void ExtensionListViewController::showPopover(const QString& identifier) {
  QWidget* content = appDelegate_.storyboard().instantiateControllerWithIdentifier(identifier);
  if (content == nullptr) return;
  if (popover_) popover_->close();
  popover_ = new Popover(content, removeButton_);
  popover_->showRelativeTo(removeButton_->rect());
}

}  // namespace vimbrel
