#include "app/ui/PreferenceRows.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "app/ui/Style.h"

namespace vimbrel::ui {

namespace {

// Clicking a row's texts flips its switch, as clicking a check box's label does.
class RowClicks final : public QObject {
 public:
  RowClicks(QAbstractButton* toggle, QObject* parent) : QObject(parent), toggle_(toggle) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonRelease && toggle_->isEnabled() &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      toggle_->click();
      return true;
    }
    return false;
  }

 private:
  QAbstractButton* toggle_;
};

}  // namespace

QAbstractButton* addSwitchRow(QVBoxLayout* layout, QWidget* page, const QString& outlet,
                              const QString& title, const QString& detail) {
  auto* row = new QWidget(page);
  auto* rowLayout = new QHBoxLayout(row);
  rowLayout->setContentsMargins(0, 6, 0, 6);
  rowLayout->setSpacing(16);
  auto* texts = new QVBoxLayout;
  texts->setSpacing(2);
  auto* titleText = new QLabel(title, row);
  QFont font = titleText->font();
  font.setPointSizeF(font.pointSizeF() + 1);
  titleText->setFont(font);
  QPalette palette = titleText->palette();
  palette.setColor(QPalette::WindowText, colors::kPrimaryText);
  titleText->setPalette(palette);
  auto* detailText = secondaryLabel(detail, row);
  detailText->setWordWrap(true);
  texts->addWidget(titleText);
  texts->addWidget(detailText);
  rowLayout->addLayout(texts, 1);
  auto* toggle = new ToggleSwitch(row);
  toggle->setObjectName(outlet);
  toggle->setAccessibleName(title);
  toggle->setAccessibleDescription(detail);
  rowLayout->addWidget(toggle, 0, Qt::AlignVCenter);
  auto* clicks = new RowClicks(toggle, row);
  titleText->installEventFilter(clicks);
  detailText->installEventFilter(clicks);
  row->setObjectName(outlet + "Row");
  layout->addWidget(row);
  return toggle;
}

}  // namespace vimbrel::ui
