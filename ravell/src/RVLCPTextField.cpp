#include "RVLCPTextField.h"

#include <QKeyEvent>

namespace vimbrel {

RVLCPTextField::RVLCPTextField(QWidget* parent) : QLineEdit(parent) {}

RVLCPTextField::Action RVLCPTextField::actionFor(const QKeyEvent* event) const {
  if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier || !hasFocus()) {
    return Action::None;
  }
  switch (event->key()) {
    case Qt::Key_Z:
      return isUndoAvailable() ? Action::Undo : Action::None;
    case Qt::Key_X:
      return hasSelectedText() ? Action::Cut : Action::None;
    case Qt::Key_C:
      return hasSelectedText() ? Action::Copy : Action::None;
    case Qt::Key_V:
      return Action::Paste;
    default:
      return Action::None;
  }
}

bool RVLCPTextField::performKeyEquivalent(const QKeyEvent* event) {
  switch (actionFor(event)) {
    case Action::Undo:
      undo();
      return true;
    case Action::Cut:
      cut();
      return true;
    case Action::Copy:
      copy();
      return true;
    case Action::Paste:
      paste();
      return true;
    case Action::None:
      return false;
  }
  return false;
}

bool RVLCPTextField::event(QEvent* event) {
  // Claim the shortcuts it performs before any window-wide shortcut takes them.
  if (event->type() == QEvent::ShortcutOverride &&
      actionFor(static_cast<QKeyEvent*>(event)) != Action::None) {
    event->accept();
    return true;
  }
  return QLineEdit::event(event);
}

void RVLCPTextField::keyPressEvent(QKeyEvent* event) {
  if (performKeyEquivalent(event)) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

}  // namespace vimbrel
