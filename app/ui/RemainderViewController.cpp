#include "app/ui/RemainderViewController.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QThreadPool>
#include <QVBoxLayout>

#include "app/ui/AppDelegate.h"
#include "app/ui/Icons.h"
#include "app/ui/MainWindow.h"
#include "app/ui/RemainderListView.h"
#include "app/ui/RemainderModel.h"
#include "app/ui/RemainderRowDelegate.h"
#include "app/ui/Style.h"
#include "app/ui/ViewController.h"
#include "engine/CertainEvidence.h"
#include "engine/SettingsKeys.h"
#include "platform/Grant.h"

namespace vimbrel {

namespace {

constexpr int kPollMilliseconds = 300;
// The removal's progress is read this often; the worker never waits for it.
constexpr int kRemovalPollMilliseconds = 50;

}  // namespace

RemainderViewController::RemainderViewController(AppDelegate& delegate, QWidget* parent)
    : Page(parent),
      appDelegate_(delegate),
      is_vimbrel_(std::make_shared<std::atomic<bool>>(false)),
      removal_(std::make_unique<ReviewRemoval>(*delegate.services().fileSystem,
                                               delegate.app_settings(), delegate.state())),
      progress_(new QProgressBar(this)),
      status_(ui::secondaryLabel({}, this)),
      summary_(ui::secondaryLabel({}, this)),
      list_(new RemainderListView(this)),
      warning_(ui::secondaryLabel(tr("Removal is final: nothing goes to the Trash."), this)),
      removalProgress_(new QProgressBar(this)),
      back_(new QPushButton(tr("‹  Back"), this)),
      switch_remove_(new QPushButton(tr("Remove"), this)) {
  setObjectName("Remainder");
  // The record is searched as a copy of its own, so that a search still
  // running for an abandoned review never writes into the record that a
  // later review of the same application reads.
  if (auto picked = delegate.state().item()) item_ = std::make_shared<ApplicationItem>(*picked);

  back_->setObjectName("back");
  back_->setAccessibleName(tr("Back"));
  ui::makeRoundButton(back_);
  setBackButton(back_);
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
  header->addWidget(back_);
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
  status_->setText(tr("Looking for what %1 leaves behind…").arg(label));
  status_->setAlignment(Qt::AlignCenter);

  list_->setObjectName("tableviewR");
  list_->setAccessibleName(tr("What %1 leaves behind").arg(label));
  auto* rowDelegate = new RemainderRowDelegate(list_);
  rowDelegate->setOnReveal([this](int row) { show_in_finder(static_cast<std::size_t>(row)); });
  list_->setItemDelegate(rowDelegate);
  list_->viewport()->setAutoFillBackground(false);
  list_->hide();

  switch_remove_->setObjectName("remove");
  switch_remove_->setAccessibleDescription(tr("Remove the selected items"));
  switch_remove_->setEnabled(false);
  switch_remove_->setCursor(Qt::PointingHandCursor);
  switch_remove_->setMinimumHeight(32);
  ui::makeAccentButton(switch_remove_);
  warning_->setObjectName("warning");
  removalProgress_->setObjectName("removalProgress");
  removalProgress_->setTextVisible(false);
  removalProgress_->setFixedHeight(6);
  removalProgress_->setAccessibleName(tr("Removing"));
  removalProgress_->hide();
  auto* footer = new QHBoxLayout;
  auto* footerText = new QVBoxLayout;
  footerText->setSpacing(4);
  footerText->addWidget(warning_);
  footerText->addWidget(removalProgress_);
  footer->addLayout(footerText, 1);
  footer->addSpacing(16);
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
  layout->addWidget(list_, 1);
  layout->addLayout(footer);

  connect(back_, &QPushButton::clicked, this, [this] { this->back(); });
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
  removalTimer_.setInterval(kRemovalPollMilliseconds);
  connect(&removalTimer_, &QTimer::timeout, this, [this] { removal_timer_proc(); });
}

// A removal still running is waited for by ~ReviewRemoval: a deletion is
// never abandoned halfway.
RemainderViewController::~RemainderViewController() = default;

void RemainderViewController::remainder_timer_proc() {
  if (!is_vimbrel_->load()) return;
  timer_.stop();
  progress_->hide();
  searching_->hide();
  // The search has finished: its lists are final and no longer written.
  // Every entry starts chosen except those another installed application
  // claims; the total counts each byte once.
  model_ = new RemainderModel(item_->files, item_->sizes, *appDelegate_.services().fileSystem,
                              *appDelegate_.services().icons, this);
  // The icon of the application itself (position 1 of the list), made once.
  const auto& files = model_->files();
  if (files.size() > 1 && files[1].isFileLocation()) {
    model_->setApplicationIcon(appDelegate_.services().icons->iconForFile(files[1].text()));
  }
  markEntriesToCheck();
  model_->setOnChosenChanged([this] { updateSummary(); });
  appDelegate_.state().set_item(item_);
  showRows();
}

void RemainderViewController::markEntriesToCheck() {
  // What lies in the user's own folders (Desktop, Documents, ...) is the
  // application's beyond doubt only when it is named so; anything else there
  // waits for a look. A bundle reviewed in the Trash is one the agent cleaned
  // in part: what it left is switched off the same way.
  const std::string home =
      resolve_grant(appDelegate_.app_settings(), keys::kHome).location.value_or("");
  const bool inTrash = item_->url.find("/.Trash/") != std::string::npos;
  const auto& files = model_->files();
  for (std::size_t row = 0; row < files.size(); ++row) {
    const RemainderEntry& entry = files[row];
    if (!entry.isFileLocation() || entry.isClaimed()) continue;
    if (entry.match() && entry.match()->test == MatchTest::Application) continue;
    if (hasCertainName(*item_, entry)) continue;
    if (inTrash || (!home.empty() && isInUsersOwnFolder(home, entry.text()))) {
      model_->setCheckBeforeRemoving(static_cast<int>(row), tr("Check before removing"));
    }
  }
}

void RemainderViewController::showRows() {
  // The rows are all as high: the list lays out even a long review at once.
  list_->setModel(model_);
  list_->show();
  updateSummary();
  for (int row = 0; row < model_->rowCount(); ++row) {
    if (model_->flags(model_->index(row)) & Qt::ItemIsUserCheckable) {
      list_->setCurrentIndex(model_->index(row));
      break;
    }
  }
  list_->setFocus();
}

const std::vector<RemainderEntry>& RemainderViewController::files() const {
  static const std::vector<RemainderEntry> none;
  return model_ != nullptr ? model_->files() : none;
}

const std::vector<RemainderEntry>& RemainderViewController::prepare() const {
  static const std::vector<RemainderEntry> none;
  return model_ != nullptr ? model_->plan().prepare() : none;
}

void RemainderViewController::updateSummary() {
  if (model_ == nullptr) return;
  const RemovalPlan& plan = model_->plan();
  appDelegate_.state().set_common_remove_size(plan.common_remove_size());
  std::size_t entries = 0;
  std::size_t chosen = 0;
  const auto& files = model_->files();
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (files[i].isFileLocation()) ++entries;
    if (plan.isChosen(i)) ++chosen;
  }
  summary_->setText(tr("%1 items found · %2 selected, %3")
                        .arg(entries)
                        .arg(chosen)
                        .arg(ui::sizeText(plan.common_remove_size())));
  switch_remove_->setEnabled(plan.anyChosen() && !removal_->running());
}

void RemainderViewController::select_to_remove(std::size_t row, bool on) {
  if (model_ != nullptr) model_->choose(static_cast<int>(row), on);
}

void RemainderViewController::show_in_finder(std::size_t row) {
  const auto& entries = files();
  if (row >= entries.size() || !entries[row].isFileLocation()) return;
  appDelegate_.services().fileViewer->reveal({entries[row].text()});
}

void RemainderViewController::back() {
  if (removal_->running()) return;
  const std::int64_t sheet = appDelegate_.app_settings().integer(keys::kSheet);
  if (sheet == 1) {
    appDelegate_.center().post(notifications::kApplicationsViewController);
  } else if (sheet == 0) {
    appDelegate_.center().post(notifications::kHomeViewController);
  }
}

void RemainderViewController::remove() {
  if (model_ == nullptr || !item_ || removal_->running()) return;
  // Never while the application, or a companion whose identifier extends
  // its own, is running.
  if (item_->bundle && !item_->bundle->empty() &&
      appDelegate_.services().isRunning(*item_->bundle)) {
    if (MainWindow* window = appDelegate_.window()) {
      viewcontrollerL_ = window->viewController()->presentSheet("Launched");
    }
    return;
  }
  if (!removal_->start(model_->plan().prepare(), model_->sizes(), item_->url)) return;
  switch_remove_->setEnabled(false);
  back_->setEnabled(false);
  list_->setEnabled(false);
  removalProgress_->setRange(0, 0);
  removalProgress_->show();
  removal_timer_proc();
  removalTimer_.start();
}

void RemainderViewController::removal_timer_proc() {
  const ReviewRemoval::Progress now = removal_->progress();
  warning_->setText(tr("Removing… %1 of %2 items · %3 of %4")
                        .arg(now.itemsDone)
                        .arg(now.itemsTotal)
                        .arg(ui::sizeText(now.bytesDone), ui::sizeText(now.bytesTotal)));
  warning_->setAccessibleName(warning_->text());
  if (now.itemsTotal > 0 && now.itemsDone > 0) {
    removalProgress_->setRange(0, static_cast<int>(now.itemsTotal));
    removalProgress_->setValue(static_cast<int>(now.itemsDone));
  }
  if (!removal_->poll()) return;
  removalTimer_.stop();
  appDelegate_.services().sounds->play("complete");
  appDelegate_.center().post(notifications::kRemoveViewController);
}

}  // namespace vimbrel
