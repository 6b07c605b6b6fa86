#pragma once

#include <QLineEdit>

class QKeyEvent;

namespace vimbrel {

// A text field that performs the clipboard shortcuts itself: with the command
// modifier (Control here), Z undoes when there is something to undo, X cuts
// and C copies a non-empty selection, V pastes. Anything else is left to the
// field's ordinary handling.
class RVLCPTextField : public QLineEdit {
 public:
  explicit RVLCPTextField(QWidget* parent = nullptr);

  // True when the shortcut in `event` was performed.
  bool performKeyEquivalent(const QKeyEvent* event);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  enum class Action { None, Undo, Cut, Copy, Paste };
  Action actionFor(const QKeyEvent* event) const;
};

}  // namespace vimbrel
