#pragma once

#include <QDialog>
#include <QPoint>
#include <optional>

namespace vimbrel {

// The borderless window of the prompts: a rounded panel (radius 5, its
// content clipped at radius 4) with a soft shadow (opacity 0.5), movable by
// dragging its background. On a compositing desktop (and off screen) it is
// translucent so that the corners and the shadow show; without compositing it
// is a plain frameless window with a thin border, never a black box.
class RTKTransparentWindow : public QDialog {
 public:
  static constexpr int kShadowMargin = 12;
  static constexpr qreal kPanelRadius = 5;
  static constexpr qreal kContentRadius = 4;

  explicit RTKTransparentWindow(QWidget* parent = nullptr);

  // Places `content` inside the panel (the window takes ownership).
  void setContentView(QWidget* content);
  QWidget* contentView() const { return content_; }

  bool isTranslucent() const { return translucent_; }
  // Whether the desktop composites windows (translucency shows).
  static bool desktopComposites();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QRectF panelRect() const;

  bool translucent_;
  QWidget* content_ = nullptr;
  std::optional<QPoint> dragOffset_;
};

}  // namespace vimbrel
