#include "app/ui/FilterField.h"

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QToolButton>

namespace vimbrel::ui {

void nameClearButton(QLineEdit* field) {
  const QString clear = QCoreApplication::translate("FilterField", "Clear");
  if (auto* action = field->findChild<QAction*>(QStringLiteral("_q_qlineeditclearaction"))) {
    action->setText(clear);
    action->setToolTip(clear);
  }
  for (QToolButton* button : field->findChildren<QToolButton*>()) {
    button->setObjectName("clear");
    button->setAccessibleName(clear);
  }
}

}  // namespace vimbrel::ui
