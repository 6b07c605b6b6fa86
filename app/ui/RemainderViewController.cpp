#include "app/ui/RemainderViewController.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QThreadPool>
#include <QVBoxLayout>
#include <set>

#include "app/ui/AppDelegate.h"
#include "app/ui/Icons.h"
#include "app/ui/MainWindow.h"
#include "app/ui/RemainderIcons.h"
#include "app/ui/Style.h"
#include "app/ui/ViewController.h"
#include "engine/RemainderPresentation.h"
#include "engine/Removal.h"
#include "engine/RemovalTotal.h"
#include "engine/SafetyPolicy.h"
#include "engine/SettingsKeys.h"
#include "platform/Paths.h"

namespace vimbrel {

namespace {

constexpr int kPollMilliseconds = 300;
constexpr std::size_t kRowsPerTurn = 12;

QIcon folderIcon() { return ui::symbolicIcon({"folder"}); }

// A row of the review: draws the separator under a file row.
class RowView : public QWidget {
 public:
  RowView(bool header, QWidget* parent) : QWidget(parent), header_(header) {
    setFixedHeight(header ? ui::kGroupRowHeight + 10 : ui::kFileRowHeight + 6);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (header_) return;
    QPainter painter(this);
    painter.fillRect(QRect(54, height() - 1, width() - 54, 1), ui::colors::kSeparator);
  }

 private:
  bool header_;
};

std::uint64_t sizeAt(const std::vector<SizeEntry>& sizes, std::size_t index) {
  if (index >= sizes.size()) return 0;
  const auto* bytes = std::get_if<std::uint64_t>(&sizes[index]);
  return bytes != nullptr ? *bytes : 0;
}

}  // namespace

RemainderViewController::RemainderViewController(AppDelegate& delegate, QWidget* parent)
    : Page(parent),
      appDelegate_(delegate),
      is_vimbrel_(std::make_shared<std::atomic<bool>>(false)),
      progress_(new QProgressBar(this)),
      status_(ui::secondaryLabel({}, this)),
      summary_(ui::secondaryLabel({}, this)),
      tableviewR_(new QScrollArea(this)),
      rows_(new QWidget),
      rowsLayout_(new QVBoxLayout(rows_)),
      switch_remove_(new QPushButton(tr("Remove"), this)) {
  setObjectName("Remainder");
  // The record is searched as a copy of its own, so that a search still
  // running for an abandoned review never writes into the record that a
  // later review of the same application reads.
  if (auto picked = delegate.state().item()) item_ = std::make_shared<ApplicationItem>(*picked);

  auto* back = new QPushButton(tr("‹  Back"), this);
  back->setObjectName("back");
  back->setAccessibleName(tr("Back"));
  ui::makeRoundButton(back);
  setBackButton(back);
  auto* icon = new QLabel(this);
  icon->setObjectName("image");
  const QString label = item_ ? QString::fromStdString(item_->label) : QString();
  if (item_) {
    QIcon appIcon = ui::iconFor(*delegate.services().icons, item_->icon);
    if (appIcon.isNull()) appIcon = ui::iconFor(*delegate.services().icons, item_->app_icon);
    icon->setPixmap(appIcon.pixmap(40, 40));
    delegate.setItemPicture(appIcon.pixmap(192, 192));
  }
  icon->setFixedSize(40, 40);
  auto* title = ui::titleLabel(label, this, 7);
  title->setObjectName("name");
  auto* titles = new QVBoxLayout;
  titles->setSpacing(0);
  titles->addWidget(title);
  titles->addWidget(summary_);
  auto* header = new QHBoxLayout;
  header->addWidget(back);
  header->addSpacing(14);
  header->addWidget(icon);
  header->addSpacing(6);
  header->addLayout(titles);
  header->addStretch();
  setHeaderRow(header);  // the window's menu button ends it

  progress_->setObjectName("progress");
  progress_->setRange(0, 0);
  progress_->setTextVisible(false);
  progress_->setFixedHeight(6);
  progress_->setAccessibleName(tr("Searching"));
  progress_->setStyleSheet(
      "QProgressBar { background: " + ui::colors::css(ui::colors::kSeparator) +
      "; border: none; border-radius: 3px; }"
      "QProgressBar::chunk { background: rgb(0,148,239); border-radius: 3px; }");
  status_->setText(tr("Looking for what %1 leaves behind…").arg(label));
  status_->setAlignment(Qt::AlignCenter);

  rowsLayout_->setContentsMargins(0, 0, 8, 0);
  rowsLayout_->setSpacing(0);
  rowsLayout_->addStretch();
  rows_->setObjectName("rows");
  rows_->setAutoFillBackground(false);
  tableviewR_->setObjectName("tableviewR");
  tableviewR_->setAccessibleName(tr("What %1 leaves behind").arg(label));
  tableviewR_->setWidget(rows_);
  tableviewR_->setWidgetResizable(true);
  tableviewR_->setFrameShape(QFrame::NoFrame);
  tableviewR_->setStyleSheet(
      "QScrollArea { background: transparent; }"
      "QScrollArea > QWidget > QWidget#rows { background: transparent; }"
      "QScrollBar:vertical { background: transparent; width: 8px; margin: 2px; }"
      "QScrollBar::handle:vertical { background: rgba(0,0,0,70); border-radius: 3px;"
      " min-height: 30px; }"
      "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }"
      "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }");
  tableviewR_->viewport()->setAutoFillBackground(false);
  tableviewR_->hide();

  switch_remove_->setObjectName("remove");
  switch_remove_->setAccessibleName(tr("Remove the selected items"));
  switch_remove_->setEnabled(false);
  switch_remove_->setCursor(Qt::PointingHandCursor);
  switch_remove_->setMinimumHeight(32);
  switch_remove_->setStyleSheet(
      "QPushButton { background: rgb(204,41,41); color: white; border: 2px solid transparent;"
      " border-radius: 6px; padding: 5px 24px; font-weight: 600; }"
      "QPushButton:pressed { background: rgb(170,30,30); }"
      "QPushButton:disabled { background: " +
      ui::colors::css(ui::colors::kPanel) +
      "; color: " + ui::colors::css(ui::colors::kSecondaryText) +
      "; }"
      "QPushButton:focus { border: 2px solid " +
      ui::colors::css(ui::colors::kPrimaryText) + "; }");
  auto* footer = new QHBoxLayout;
  auto* warning = ui::secondaryLabel(tr("Removal is final: nothing goes to the Trash."), this);
  footer->addWidget(warning);
  footer->addStretch();
  footer->addWidget(switch_remove_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 16, 24, 18);
  layout->setSpacing(12);
  layout->addLayout(header);
  searching_ = new QWidget(this);
  auto* searchingLayout = new QVBoxLayout(searching_);
  searchingLayout->addStretch(1);
  searchingLayout->addWidget(status_);
  searchingLayout->addWidget(progress_, 0, Qt::AlignHCenter);
  searchingLayout->addStretch(1);
  progress_->setFixedWidth(320);
  layout->addWidget(searching_, 1);
  layout->addWidget(tableviewR_, 1);
  layout->addLayout(footer);

  connect(back, &QPushButton::clicked, this, [this] { this->back(); });
  connect(switch_remove_, &QPushButton::clicked, this, [this] { remove(); });

  // viewDidLoad: the search on a worker, the poll on this thread.
  delegate.state().set_common_remove_size(0);
  if (item_) {
    const FileSystem* fileSystem = delegate.services().fileSystem;
    SettingsStore* store = &delegate.app_settings();
    auto item = item_;
    auto flag = is_vimbrel_;
    QThreadPool::globalInstance()->start([item, flag, fileSystem, store] {
      item->getfiles(*fileSystem, *store, [flag](bool finished) {
        if (finished) flag->store(true);
      });
    });
  }
  timer_.setInterval(kPollMilliseconds);
  connect(&timer_, &QTimer::timeout, this, [this] { remainder_timer_proc(); });
  timer_.start();
  summary_->setText(tr("Searching…"));
}

RemainderViewController::~RemainderViewController() = default;

void RemainderViewController::remainder_timer_proc() {
  if (!is_vimbrel_->load()) return;
  timer_.stop();
  progress_->hide();
  searching_->hide();
  // The search has finished: its lists are final and no longer written.
  files_ = item_->files;
  sizes_ = item_->sizes;
  clean_size_.assign(files_.size(), 0);
  for (std::size_t i = 0; i < files_.size(); ++i) clean_size_[i] = sizeAt(sizes_, i);
  // Every entry starts chosen except those another installed application
  // claims; the total counts each byte once.
  plan_.emplace(files_, sizes_);
  appDelegate_.state().set_common_remove_size(plan_->common_remove_size());
  appDelegate_.state().set_item(item_);
  switches_.assign(files_.size(), nullptr);
  reveals_.assign(files_.size(), nullptr);
  // The icon of the application itself (position 1 of the list), made once.
  if (files_.size() > 1 && files_[1].isFileLocation()) {
    applicationIcon_ = appDelegate_.services().icons->iconForFile(files_[1].text());
  }
  tableviewR_->show();
  fillRows(0);
}

void RemainderViewController::fillRows(std::size_t first) {
  // A few dozen rows per turn of the event loop, so that a long list never
  // holds the window up; the page is ready once the last row is in.
  const std::size_t end = std::min(files_.size(), first + kRowsPerTurn);
  rows_->setUpdatesEnabled(false);
  for (std::size_t row = first; row < end; ++row) {
    QWidget* view = nullptr;
    if (files_[row].isHeader()) {
      view = new RowView(true, rows_);
      auto* label = new QLabel(
          QCoreApplication::translate("RemainderGroup", groupLabel(files_[row].group())).toUpper(),
          view);
      label->setObjectName("GroupCell");
      QFont font = label->font();
      font.setPointSizeF(font.pointSizeF() - 1);
      font.setWeight(QFont::DemiBold);
      font.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
      label->setFont(font);
      QPalette palette = label->palette();
      palette.setColor(QPalette::WindowText, ui::colors::kSecondaryText);
      label->setPalette(palette);
      auto* layout = new QHBoxLayout(view);
      layout->setContentsMargins(4, 10, 0, 0);
      layout->addWidget(label);
    } else if (files_[row].isFileLocation()) {
      view = makeFileRow(row);
    }
    if (view != nullptr) rowsLayout_->insertWidget(rowsLayout_->count() - 1, view);
  }
  rows_->setUpdatesEnabled(true);
  if (end < files_.size()) {
    QTimer::singleShot(0, this, [this, end] { fillRows(end); });
    return;
  }
  ready_ = true;
  switch_remove_->setEnabled(plan_->anyChosen());
  updateSummary();
  for (auto* toggle : switches_) {
    if (toggle != nullptr) {
      toggle->setFocus();
      break;
    }
  }
}

QWidget* RemainderViewController::makeFileRow(std::size_t row) {
  const std::string& path = files_[row].text();
  IconProvider& icons = *appDelegate_.services().icons;
  auto* view = new RowView(false, rows_);
  const QString name = QString::fromStdString(shownName(path));

  auto* toggle = new ui::ToggleSwitch(view);
  toggle->setObjectName("select_to_remove");
  toggle->setChecked(plan_->isChosen(row));
  // A claimed entry is kept for the other application: shown, never chosen.
  const QString claim = QString::fromStdString(alsoUsedBy(files_[row]));
  toggle->setEnabled(claim.isEmpty());
  toggle->setAccessibleName(tr("Remove %1").arg(name));
  toggle->setToolTip(tr("Remove %1").arg(name));
  toggle->installEventFilter(this);
  connect(toggle, &ui::ToggleSwitch::toggled, this,
          [this, row](bool on) { select_to_remove(row, on); });
  switches_[row] = toggle;

  auto* image = new QLabel(view);
  image->setFixedSize(28, 28);
  const bool isDirectory = appDelegate_.services().fileSystem->isFolder(path);
  QIcon icon;
  const RemainderIcon choice = remainderIcon(path, isDirectory);
  switch (choice.kind) {
    case RemainderIcon::Kind::CellDefault:
      icon = folderIcon();
      break;
    case RemainderIcon::Kind::GenericDocument:
      icon = icons.iconForFileType("");
      break;
    case RemainderIcon::Kind::ApplicationIcon:
      icon = applicationIcon_;
      break;
    case RemainderIcon::Kind::Preferences:
      icon = ui::symbolicIcon({"preferences-system", "emblem-system"});
      break;
    case RemainderIcon::Kind::FileType:
      icon = icons.iconForFileType(choice.type);
      break;
    case RemainderIcon::Kind::LaunchAgent:
      icon = ui::symbolicIcon({"system-run", "utilities-terminal"});
      break;
    case RemainderIcon::Kind::OwnIcon:
      icon = icons.iconForFile(path);
      break;
  }
  image->setPixmap(icon.pixmap(28, 28));

  auto* nameLabel = new QLabel(name, view);
  nameLabel->setObjectName("name");
  QFont bold = nameLabel->font();
  bold.setWeight(QFont::Medium);
  nameLabel->setFont(bold);
  QPalette palette = nameLabel->palette();
  palette.setColor(QPalette::WindowText, ui::colors::kPrimaryText);
  nameLabel->setPalette(palette);
  const QString folder = QString::fromStdString(paths::parent(path));
  auto* pathLabel = new ui::ElidedLabel(folder, view);
  QPalette secondary = pathLabel->palette();
  secondary.setColor(QPalette::WindowText, ui::colors::kSecondaryText);
  pathLabel->setPalette(secondary);
  pathLabel->setObjectName("path");
  pathLabel->setMinimumWidth(40);
  pathLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  QFont small = pathLabel->font();
  small.setPointSizeF(small.pointSizeF() - 1);
  pathLabel->setFont(small);
  auto* sizeLabel = ui::secondaryLabel(ui::sizeText(clean_size_[row]), view);
  sizeLabel->setObjectName("size");
  sizeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  sizeLabel->setMinimumWidth(70);

  auto* reveal = new QPushButton(view);
  reveal->setObjectName("show_in_finder");
  ui::makeIconButton(reveal, ui::symbolicIcon({"folder-open", "system-search"}),
                     tr("Show %1 in Files").arg(name));
  if (reveal->icon().isNull()) reveal->setText(tr("Show"));
  connect(reveal, &QPushButton::clicked, this, [this, row] { show_in_finder(row); });
  reveals_[row] = reveal;

  auto* texts = new QVBoxLayout;
  texts->setSpacing(1);
  texts->addWidget(nameLabel);
  texts->addWidget(pathLabel);
  if (!claim.isEmpty()) {
    auto* claimLabel = ui::secondaryLabel(claim, view);
    claimLabel->setObjectName("claimed_by");
    QFont note = claimLabel->font();
    note.setPointSizeF(note.pointSizeF() - 1);
    note.setItalic(true);
    claimLabel->setFont(note);
    texts->addWidget(claimLabel);
  }
  // Why the search listed this entry.
  view->setToolTip(QString::fromStdString(matchDescription(files_[row])));
  auto* layout = new QHBoxLayout(view);
  layout->setContentsMargins(4, 3, 4, 3);
  layout->setSpacing(10);
  layout->addWidget(toggle);
  layout->addWidget(image);
  layout->addLayout(texts, 1);
  layout->addWidget(sizeLabel);
  layout->addWidget(reveal);
  return view;
}

const std::vector<RemainderEntry>& RemainderViewController::prepare() const {
  static const std::vector<RemainderEntry> none;
  return plan_ ? plan_->prepare() : none;
}

void RemainderViewController::updateSummary() {
  std::size_t entries = 0;
  std::size_t chosen = 0;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (files_[i].isFileLocation()) ++entries;
    if (plan_ && plan_->isChosen(i)) ++chosen;
  }
  summary_->setText(tr("%1 items found · %2 selected, %3")
                        .arg(entries)
                        .arg(chosen)
                        .arg(ui::sizeText(appDelegate_.state().common_remove_size())));
}

void RemainderViewController::select_to_remove(std::size_t row, bool on) {
  if (row >= files_.size() || !files_[row].isFileLocation()) return;
  WorkflowState& state = appDelegate_.state();
  const bool chosen = plan_->choose(row, on);
  state.set_common_remove_size(plan_->common_remove_size());
  if (switches_[row] != nullptr && switches_[row]->isChecked() != chosen) {
    switches_[row]->setChecked(chosen);
  }
  switch_remove_->setEnabled(plan_->anyChosen());
  updateSummary();
}

void RemainderViewController::show_in_finder(std::size_t row) {
  if (row >= files_.size() || !files_[row].isFileLocation()) return;
  appDelegate_.services().fileViewer->reveal({files_[row].text()});
}

void RemainderViewController::back() {
  const std::int64_t sheet = appDelegate_.app_settings().integer(keys::kSheet);
  if (sheet == 1) {
    appDelegate_.center().post(notifications::kApplicationsViewController);
  } else if (sheet == 0) {
    appDelegate_.center().post(notifications::kHomeViewController);
  }
}

void RemainderViewController::remove() {
  if (!ready_ || !item_) return;
  // Never while the application, or a companion whose identifier extends
  // its own, is running.
  if (item_->bundle && !item_->bundle->empty() &&
      appDelegate_.services().isRunning(*item_->bundle)) {
    if (MainWindow* window = appDelegate_.window()) {
      viewcontrollerL_ = window->viewController()->presentSheet("Launched");
    }
    return;
  }
  WorkflowState& state = appDelegate_.state();
  state.set_remainder_urls({});
  std::vector<Survivor> survivors;
  const SafetyPolicy policy(SearchRoots::resolve(appDelegate_.app_settings(), keys::kHome));
  Removal(*appDelegate_.services().fileSystem, policy)
      .remove(plan_->prepare(), item_->url, survivors);
  // What could not be removed does not count in the size removed.
  state.set_common_remove_size(removedTotal(plan_->prepare(), sizes_, survivorPaths(survivors)));
  state.set_remainder_survivors(std::move(survivors));
  appDelegate_.services().sounds->play("complete");
  appDelegate_.center().post(notifications::kRemoveViewController);
}

ui::ToggleSwitch* RemainderViewController::switchAt(std::size_t row) const {
  return row < switches_.size() ? switches_[row] : nullptr;
}

QPushButton* RemainderViewController::revealAt(std::size_t row) const {
  return row < reveals_.size() ? reveals_[row] : nullptr;
}

bool RemainderViewController::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      // Arrow keys move between the rows' switches.
      auto here = std::find(switches_.begin(), switches_.end(), watched);
      if (here != switches_.end()) {
        const auto count = static_cast<std::ptrdiff_t>(switches_.size());
        const std::ptrdiff_t step = key == Qt::Key_Down ? 1 : -1;
        for (std::ptrdiff_t i = (here - switches_.begin()) + step; i >= 0 && i < count; i += step) {
          if (ui::ToggleSwitch* next = switches_[static_cast<std::size_t>(i)]) {
            next->setFocus(Qt::TabFocusReason);
            tableviewR_->ensureWidgetVisible(next, 0, 30);
            break;
          }
        }
        return true;
      }
    }
  }
  return Page::eventFilter(watched, event);
}

}  // namespace vimbrel
