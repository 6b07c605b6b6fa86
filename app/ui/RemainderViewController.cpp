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
#include "engine/SafetyPolicy.h"
#include "engine/SettingsKeys.h"
#include "platform/Paths.h"

namespace vimbrel {

namespace {

constexpr int kPollMilliseconds = 300;
constexpr std::size_t kRowsPerTurn = 24;

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
      switch_remove_(new QPushButton("Remove", this)) {
  setObjectName("Remainder");
  // The record is searched as a copy of its own, so that a search still
  // running for an abandoned review never writes into the record that a
  // later review of the same application reads.
  if (auto picked = delegate.state().item()) item_ = std::make_shared<ApplicationItem>(*picked);

  auto* back = new QPushButton("‹  Back", this);
  back->setObjectName("back");
  back->setAccessibleName("Back");
  ui::makeRoundButton(back);
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
  header->addSpacing(44);

  progress_->setObjectName("progress");
  progress_->setRange(0, 0);
  progress_->setTextVisible(false);
  progress_->setFixedHeight(6);
  progress_->setAccessibleName("Searching");
  progress_->setStyleSheet(
      "QProgressBar { background: rgb(232,232,236); border: none; border-radius: 3px; }"
      "QProgressBar::chunk { background: rgb(0,148,239); border-radius: 3px; }");
  status_->setText(QString("Looking for what %1 leaves behind…").arg(label));
  status_->setAlignment(Qt::AlignCenter);

  rowsLayout_->setContentsMargins(0, 0, 8, 0);
  rowsLayout_->setSpacing(0);
  rowsLayout_->addStretch();
  rows_->setObjectName("rows");
  rows_->setAutoFillBackground(false);
  tableviewR_->setObjectName("tableviewR");
  tableviewR_->setAccessibleName(QString("What %1 leaves behind").arg(label));
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
  switch_remove_->setAccessibleName("Remove the selected items");
  switch_remove_->setEnabled(false);
  switch_remove_->setCursor(Qt::PointingHandCursor);
  switch_remove_->setMinimumHeight(32);
  switch_remove_->setStyleSheet(
      "QPushButton { background: rgb(229,57,53); color: white; border: none; border-radius: 6px;"
      " padding: 7px 26px; font-weight: 600; }"
      "QPushButton:pressed { background: rgb(198,40,40); }"
      "QPushButton:disabled { background: rgb(236,200,200); }"
      "QPushButton:focus { border: 2px solid rgb(8,121,253); }");
  auto* footer = new QHBoxLayout;
  auto* warning = ui::secondaryLabel("Removal is final: nothing goes to the Trash.", this);
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
  summary_->setText("Searching…");
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
  prepare_ = files_;
  clean_size_.assign(files_.size(), 0);
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    clean_size_[i] = sizeAt(sizes_, i);
    if (files_[i].isFileLocation()) total += clean_size_[i];
  }
  appDelegate_.state().set_common_remove_size(total);
  appDelegate_.state().set_item(item_);
  switches_.assign(files_.size(), nullptr);
  reveals_.assign(files_.size(), nullptr);
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
      auto* label = new QLabel(QString(groupLabel(files_[row].group())).toUpper(), view);
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
  switch_remove_->setEnabled(true);
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
  toggle->setChecked(true);
  toggle->setAccessibleName("Remove " + name);
  toggle->setToolTip("Remove " + name);
  toggle->installEventFilter(this);
  connect(toggle, &ui::ToggleSwitch::toggled, this,
          [this, row](bool on) { select_to_remove(row, on); });
  switches_[row] = toggle;

  auto* image = new QLabel(view);
  image->setFixedSize(28, 28);
  const bool isDirectory = appDelegate_.services().fileSystem->isFolder(path);
  QIcon icon = icons.iconForFile(path);  // the cell's own image
  const RemainderIcon choice = remainderIcon(path, isDirectory);
  switch (choice.kind) {
    case RemainderIcon::Kind::CellDefault:
      icon = QIcon::fromTheme("folder", icon);
      break;
    case RemainderIcon::Kind::GenericDocument:
      icon = icons.iconForFileType("");
      break;
    case RemainderIcon::Kind::ApplicationIcon:
      if (files_.size() > 1 && files_[1].isFileLocation())
        icon = icons.iconForFile(files_[1].text());
      break;
    case RemainderIcon::Kind::Preferences:
      icon = QIcon::fromTheme("preferences-system", QIcon::fromTheme("emblem-system", icon));
      break;
    case RemainderIcon::Kind::FileType:
      icon = icons.iconForFileType(choice.type);
      break;
    case RemainderIcon::Kind::LaunchAgent:
      icon = QIcon::fromTheme("system-run", QIcon::fromTheme("utilities-terminal", icon));
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
  palette.setColor(QPalette::WindowText, QColor(29, 29, 31));
  nameLabel->setPalette(palette);
  const QString folder = QString::fromStdString(paths::parent(path));
  auto* pathLabel = ui::secondaryLabel(folder, view);
  pathLabel->setObjectName("path");
  pathLabel->setToolTip(QString::fromStdString(path));
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
  ui::makeIconButton(reveal, QIcon::fromTheme("folder-open", QIcon::fromTheme("system-search")),
                     "Show " + name + " in Files");
  if (reveal->icon().isNull()) reveal->setText("Show");
  connect(reveal, &QPushButton::clicked, this, [this, row] { show_in_finder(row); });
  reveals_[row] = reveal;

  auto* texts = new QVBoxLayout;
  texts->setSpacing(1);
  texts->addWidget(nameLabel);
  texts->addWidget(pathLabel);
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

void RemainderViewController::updateSummary() {
  std::size_t entries = 0;
  std::size_t chosen = 0;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (files_[i].isFileLocation()) ++entries;
    if (prepare_[i].isFileLocation()) ++chosen;
  }
  summary_->setText(QString("%1 items found · %2 selected, %3")
                        .arg(entries)
                        .arg(chosen)
                        .arg(ui::sizeText(appDelegate_.state().common_remove_size())));
}

void RemainderViewController::select_to_remove(std::size_t row, bool on) {
  if (row >= files_.size() || !files_[row].isFileLocation()) return;
  WorkflowState& state = appDelegate_.state();
  const bool wasOn = prepare_[row].isFileLocation();
  if (on && !wasOn) {
    prepare_[row] = files_[row];
    state.set_common_remove_size(state.common_remove_size() + clean_size_[row]);
  } else if (!on && wasOn) {
    prepare_[row] = RemainderEntry::emptyPlaceholder();
    const std::uint64_t total = state.common_remove_size();
    state.set_common_remove_size(total >= clean_size_[row] ? total - clean_size_[row] : 0);
  }
  if (switches_[row] != nullptr && switches_[row]->isChecked() != on) {
    switches_[row]->setChecked(on);
  }
  const bool any = std::any_of(prepare_.begin(), prepare_.end(),
                               [](const RemainderEntry& e) { return e.isFileLocation(); });
  switch_remove_->setEnabled(any);
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
  std::vector<std::string> failures;
  const SafetyPolicy policy(SearchRoots::resolve(appDelegate_.app_settings(), keys::kHome));
  Removal(*appDelegate_.services().fileSystem, policy).remove(prepare_, item_->url, failures);
  // What could not be removed does not count in the size removed.
  const std::set<std::string> failed(failures.begin(), failures.end());
  std::uint64_t total = state.common_remove_size();
  for (std::size_t i = 0; i < prepare_.size(); ++i) {
    if (prepare_[i].isFileLocation() && failed.count(prepare_[i].text()) != 0) {
      total = total >= clean_size_[i] ? total - clean_size_[i] : 0;
    }
  }
  state.set_common_remove_size(total);
  state.set_remainder_urls(std::move(failures));
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
