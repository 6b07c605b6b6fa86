#pragma once

#include <QObject>

class QWidget;

namespace vimbrel {

// Lets the user move a window by dragging `background` (a widget that is not
// a control): a left-button press on it hands the move to the window manager.
void enableBackgroundDrag(QWidget* background);

// Starts a window-manager move of `widget`'s window; false where the platform
// cannot (offscreen, some Wayland compositors without a pointer grab).
bool startWindowMove(QWidget* widget);

}  // namespace vimbrel
