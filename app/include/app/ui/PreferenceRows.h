#pragma once

#include <QString>

class QAbstractButton;
class QVBoxLayout;
class QWidget;

namespace vimbrel::ui {

// Adds a row of a preferences page to `layout`: a title and a line of
// explanation on the left, an on/off switch on the right. The switch is
// named `outlet` and is returned; clicking the texts toggles it. The row is
// the switch's parent: enabling or disabling the row greys its texts too.
QAbstractButton* addSwitchRow(QVBoxLayout* layout, QWidget* page, const QString& outlet,
                              const QString& title, const QString& detail);

}  // namespace vimbrel::ui
