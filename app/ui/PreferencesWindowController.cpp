#include "app/ui/PreferencesWindowController.h"

#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/ui/Style.h"

namespace vimbrel {

PreferencesWindowController::PreferencesWindowController(const QList<QWidget*>& viewControllers,
                                                         const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Window),
      pages_(new QStackedWidget(this)),
      toolbar_(new QButtonGroup(this)) {
  setObjectName("preferences");
  setWindowTitle(title);
  setWindowIcon(ui::applicationIcon());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  auto* bar = new QWidget(this);
  bar->setObjectName("toolbar");
  bar->setAutoFillBackground(true);
  QPalette palette = bar->palette();
  palette.setColor(QPalette::Window, ui::colors::kPanel);
  bar->setPalette(palette);
  auto* items = new QHBoxLayout(bar);
  items->setContentsMargins(12, 6, 12, 6);
  items->setSpacing(4);
  items->addStretch();
  toolbar_->setExclusive(true);
  int index = 0;
  for (QWidget* page : viewControllers) {
    auto* item = new QToolButton(bar);
    item->setObjectName(page->objectName());
    item->setText(page->windowTitle());
    item->setIcon(page->windowIcon());
    item->setIconSize(QSize(32, 32));
    item->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    item->setCheckable(true);
    item->setAutoRaise(true);
    item->setMinimumWidth(72);
    item->setAccessibleName(page->windowTitle());
    item->setStyleSheet(QString("QToolButton { border: 2px solid transparent; border-radius: 6px;"
                                " padding: 4px 8px; color: %1; }"
                                "QToolButton:hover { background: %2; }"
                                "QToolButton:checked { background: %3; color: %4; }"
                                "QToolButton:focus { border: 2px solid %4; }")
                            .arg(ui::colors::css(ui::colors::Role::RowText),
                                 ui::colors::css(ui::colors::Role::Hover),
                                 ui::colors::css(ui::colors::Role::AccentWash),
                                 ui::colors::css(ui::colors::Role::RowTextSelected)));
    toolbar_->addButton(item, index++);
    items->addWidget(item);
    pages_->addWidget(page);
  }
  items->addStretch();
  layout->addWidget(bar);
  auto* line = new QFrame(this);
  line->setFixedHeight(1);
  line->setStyleSheet("background: " + ui::colors::css(ui::colors::Role::Separator) + ";");
  layout->addWidget(line);
  pages_->setAutoFillBackground(true);
  QPalette white = pages_->palette();
  white.setColor(QPalette::Window, ui::colors::kWindow);
  pages_->setPalette(white);
  layout->addWidget(pages_, 1);
  // A click, the keyboard and a screen reader's toggle action all check the
  // item; the page follows the check.
  connect(toolbar_, &QButtonGroup::idToggled, pages_, [this](int id, bool checked) {
    if (checked) pages_->setCurrentIndex(id);
  });
  if (QAbstractButton* first = toolbar_->button(0)) first->setChecked(true);
  setMinimumWidth(480);
  resize(500, 340);
  setAccessibleName(title);
  ui::addCloseShortcuts(this);
}

void PreferencesWindowController::showWindow() {
  show();
  raise();
  activateWindow();
}

void PreferencesWindowController::selectPage(const QString& identifier) {
  for (int index = 0; index < pages_->count(); ++index) {
    if (pages_->widget(index)->objectName() == identifier) {
      toolbar_->button(index)->click();
      return;
    }
  }
}

QWidget* PreferencesWindowController::currentPage() const { return pages_->currentWidget(); }

}  // namespace vimbrel
