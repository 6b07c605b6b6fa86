#pragma once

#include <QFrame>
#include <QPainterPath>
#include <QRect>

class QVBoxLayout;

namespace vimbrel {

// A transient popover: closes on a click outside it. It holds one content
// widget and points with an arrow at a rectangle of its anchor, opening above
// it (below it when the window has no room above), inside the anchor's window.
class Popover : public QFrame {
 public:
  Popover(QWidget* content, QWidget* anchor);
  // Shows the popover with its arrow on the top edge of `rect` (anchor coordinates).
  void showRelativeTo(const QRect& rect);
  QWidget* content() const { return content_; }
  // Which edge the arrow is on, and where along it (popover coordinates).
  Qt::Edge arrowEdge() const { return arrowEdge_; }
  int arrowX() const { return arrowX_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void setArrowEdge(Qt::Edge edge);
  QPainterPath outline() const;

  QWidget* content_;
  QWidget* anchor_;
  QVBoxLayout* layout_ = nullptr;
  Qt::Edge arrowEdge_ = Qt::BottomEdge;
  int arrowX_ = 0;
};

}  // namespace vimbrel
