#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QWidget>
#include <functional>

namespace vimbrel {

class RVLStarRating;

// Told when the user let go of the stars.
class RVLStarRatingProtocol {
 public:
  virtual ~RVLStarRatingProtocol() = default;
  virtual void starsSelectionChanged(RVLStarRating* control, float rating) = 0;
};

// A row of stars showing a rating, which the mouse, the keyboard and a
// screen reader (its accessible value) change when editable.
// Star i (0-based) of size (w, h) in bounds (W, H) sits at
// x = margin + i*w + i*gap, y = (H - h)/2, where gap = (W - 2*margin -
// maxRating*w) / (maxRating - 1), or 0 for one star or when negative.
class RVLStarRating : public QWidget {
 public:
  enum DisplayMode : unsigned { Full = 0, Half = 1, Accurate = 2 };

  explicit RVLStarRating(QWidget* parent = nullptr);

  qint64 maxRating() const { return maxRating_; }
  void setMaxRating(qint64 stars);
  float rating() const { return rating_; }
  void setRating(float rating);
  // Sets the rating as the user does (mouse, keyboard, screen reader): the
  // new value is told to the delegate and the return block.
  void commitRating(float rating);
  double horizontalMargin() const { return horizontalMargin_; }
  void setHorizontalMargin(double margin);
  unsigned displayMode() const { return displayMode_; }
  void setDisplayMode(unsigned mode);
  float halfStarThreshold() const { return halfStarThreshold_; }
  void setHalfStarThreshold(float threshold) { halfStarThreshold_ = threshold; }
  bool editable() const { return editable_; }
  void setEditable(bool editable) { editable_ = editable; }

  void setStarImage(const QImage& image);
  void setStarHighlightedImage(const QImage& image);
  const QImage& starImage() const { return starImage_; }
  const QImage& starHighlightedImage() const { return starHighlightedImage_; }
  void setBackgroundImage(const QImage& image);
  void setBackgroundColor(const QColor& color);
  QColor backgroundColor() const { return backgroundColor_; }

  // Setting one clears the other.
  void setDelegate(RVLStarRatingProtocol* delegate);
  void setReturnBlock(std::function<void(float)> block);

  QPointF pointOfStarAtPosition(qint64 position, bool highlighted) const;
  float starsForPoint(QPointF point) const;

  // The default star images, drawn at `size` device-independent pixels.
  static QImage defaultStar(int size, bool highlighted);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // Left and Right (Down and Up) take a star away or add one; Home and End
  // go to none and all.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QSizeF starSize() const;

  qint64 maxRating_ = 5;
  float rating_ = 0;
  double horizontalMargin_ = 10;
  unsigned displayMode_ = Full;
  float halfStarThreshold_ = 0.6F;
  bool editable_ = false;
  QImage starImage_;
  QImage starHighlightedImage_;
  // What is drawn: the two images above, unchanged.
  QImage tintedStarImage_;
  QImage tintedStarHighlightedImage_;
  QImage backgroundImage_;
  QColor backgroundColor_ = Qt::transparent;
  RVLStarRatingProtocol* delegate_ = nullptr;
  std::function<void(float)> returnBlock_;
};

}  // namespace vimbrel
