#pragma once

#include <QLabel>

namespace vimbrel {

// An image that moves its window when dragged, as the window's own
// background does.
class RVLDragThroughImageView : public QLabel {
 public:
  explicit RVLDragThroughImageView(QWidget* parent = nullptr);
  static bool mouseDownCanMoveWindow() { return true; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace vimbrel
