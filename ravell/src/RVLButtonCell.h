#pragma once

#include <QPushButton>

namespace vimbrel {

// A prompt button that draws its own title: centred, with a white text shadow
// (offset half a point, blur 0.7), in a light grey cell. A title wider than
// the button is drawn in a font lowered in steps of half a point until it fits
// the width less 10.
class RVLButtonCell : public QPushButton {
 public:
  explicit RVLButtonCell(const QString& title, QWidget* parent = nullptr);

  // The point size the title is drawn at in a button `width` wide.
  static qreal fittingPointSize(const QFont& font, const QString& title, int width);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace vimbrel
