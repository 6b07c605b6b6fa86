#pragma once

#include <QFrame>
#include <QRect>

namespace vimbrel {

// A transient popover: closes on a click outside it. It holds one content
// widget and points at a rectangle of its anchor, opening above it.
class Popover : public QFrame {
 public:
  Popover(QWidget* content, QWidget* anchor);
  // Shows the popover with its arrow on the top edge of `rect` (anchor coordinates).
  void showRelativeTo(const QRect& rect);
  QWidget* content() const { return content_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QWidget* content_;
  QWidget* anchor_;
};

}  // namespace vimbrel
