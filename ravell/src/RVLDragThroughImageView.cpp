#include "RVLDragThroughImageView.h"

#include <QMouseEvent>

namespace vimbrel {

RVLDragThroughImageView::RVLDragThroughImageView(QWidget* parent) : QLabel(parent) {
  setAlignment(Qt::AlignCenter);
}

// The presses and drags go on to the window, which moves itself.
void RVLDragThroughImageView::mousePressEvent(QMouseEvent* event) { event->ignore(); }

void RVLDragThroughImageView::mouseMoveEvent(QMouseEvent* event) { event->ignore(); }

void RVLDragThroughImageView::mouseReleaseEvent(QMouseEvent* event) { event->ignore(); }

}  // namespace vimbrel
