#pragma once

#include <QString>

class QLabel;
class QLayout;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace vimbrel {

class RTKTransparentWindow;

// The pieces every prompt window is made of, so that they look alike.
namespace rtkparts {

constexpr int kWindowWidth = 420;

// A prompt window named `objectName` with an empty content column; the close
// button ("close") sits in the top corner.
RTKTransparentWindow* makeWindow(const QString& objectName, QVBoxLayout** column,
                                 QToolButton** closeButton);
// The application icon, draggable.
QLabel* makeIcon(QWidget* parent);
QLabel* makeTitle(const QString& text, QWidget* parent);
QLabel* makeMessage(const QString& text, QWidget* parent);
// Sets the object name, the accessible name and (for buttons) the tooltip.
void name(QWidget* widget, const QString& objectName, const QString& accessibleName);

}  // namespace rtkparts
}  // namespace vimbrel
