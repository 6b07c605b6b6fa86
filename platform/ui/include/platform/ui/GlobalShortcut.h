#pragma once

#include <QKeySequence>
#include <functional>
#include <memory>

class QWidget;

namespace vimbrel {

// A keyboard shortcut that runs an action. System-wide where the display
// allows it, otherwise while one of the program's windows has the focus.
class GlobalShortcut {
 public:
  virtual ~GlobalShortcut() = default;
  // True when the shortcut works whichever program has the focus.
  virtual bool isSystemWide() const = 0;
};

// On X11: a key grab on the root window (with and without Caps Lock and Num
// Lock). Elsewhere, or when another client holds the key already: a shortcut
// of `window` (its whole window, sheets excluded). `keys` is a combination of
// Ctrl, Alt, Shift and Meta with one letter.
std::unique_ptr<GlobalShortcut> createGlobalShortcut(QWidget* window, const QKeySequence& keys,
                                                     std::function<void()> action);

}  // namespace vimbrel
