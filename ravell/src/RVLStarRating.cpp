#include "RVLStarRating.h"

#include <QAccessible>
#include <QKeyEvent>
#include <algorithm>
#include <cmath>

#include "RVLStarRatingAccessible.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace vimbrel {

RVLStarRating::RVLStarRating(QWidget* parent) : QWidget(parent) {
  setStarImage(defaultStar(28, false));
  setStarHighlightedImage(defaultStar(28, true));
  setAttribute(Qt::WA_Hover);
  setFocusPolicy(Qt::StrongFocus);
  registerStarRatingAccessible(this);
}

void RVLStarRating::setMaxRating(qint64 stars) {
  maxRating_ = stars;
  update();
}

void RVLStarRating::setRating(float rating) {
  rating_ = rating;
  update();
}

void RVLStarRating::setHorizontalMargin(double margin) {
  horizontalMargin_ = margin;
  update();
}

void RVLStarRating::setDisplayMode(unsigned mode) {
  displayMode_ = mode;
  update();
}

void RVLStarRating::setStarImage(const QImage& image) {
  if (image == starImage_) return;
  starImage_ = image;
  tintedStarImage_ = image;
  update();
}

void RVLStarRating::setStarHighlightedImage(const QImage& image) {
  if (image == starHighlightedImage_) return;
  starHighlightedImage_ = image;
  tintedStarHighlightedImage_ = image;
  update();
}

void RVLStarRating::setBackgroundImage(const QImage& image) {
  backgroundImage_ = image;
  update();
}

void RVLStarRating::setBackgroundColor(const QColor& color) {
  backgroundColor_ = color;
  update();
}

void RVLStarRating::setDelegate(RVLStarRatingProtocol* delegate) {
  delegate_ = delegate;
  returnBlock_ = nullptr;
}

void RVLStarRating::setReturnBlock(std::function<void(float)> block) {
  returnBlock_ = std::move(block);
  delegate_ = nullptr;
}

QSizeF RVLStarRating::starSize() const {
  return QSizeF(starImage_.size()) / starImage_.devicePixelRatio();
}

QPointF RVLStarRating::pointOfStarAtPosition(qint64 position, bool highlighted) const {
  const QSizeF size =
      highlighted ? QSizeF(starHighlightedImage_.size()) / starHighlightedImage_.devicePixelRatio()
                  : starSize();
  double gap = 0;
  if (maxRating_ > 1) {
    gap = (width() - 2 * horizontalMargin_ - double(maxRating_) * size.width()) /
          double(maxRating_ - 1);
    if (gap < 0) gap = 0;
  }
  const double x = horizontalMargin_ + double(position) * size.width() + double(position) * gap;
  const double y = (height() - size.height()) / 2;
  return {x, y};
}

float RVLStarRating::starsForPoint(QPointF point) const {
  float stars = 0;
  const double width = starSize().width();
  for (qint64 i = 0; i < maxRating_; ++i) {
    const QPointF star = pointOfStarAtPosition(i, false);
    if (star.x() >= point.x()) continue;
    if (displayMode_ == Half && width > 0 && (point.x() - star.x()) / width < halfStarThreshold_) {
      stars += 0.5F;
    } else {
      stars += 1;
    }
  }
  return stars;
}

void RVLStarRating::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.fillRect(rect(), backgroundColor_);
  if (!backgroundImage_.isNull()) painter.drawImage(QRectF(rect()), backgroundImage_);
  const QSizeF size = starSize();
  for (qint64 i = 0; i < maxRating_; ++i) {
    const QRectF area(pointOfStarAtPosition(i, false), size);
    painter.drawImage(area, tintedStarImage_);
    if (rating_ <= float(i)) continue;
    const float fraction = rating_ - float(i);
    QRectF filled(pointOfStarAtPosition(i, true), size);
    painter.save();
    if (fraction < 1 && displayMode_ == Half && fraction < halfStarThreshold_) {
      painter.setClipRect(QRectF(filled.topLeft(), QSizeF(filled.width() / 2, filled.height())));
    } else if (fraction < 1 && displayMode_ == Accurate) {
      painter.setClipRect(
          QRectF(filled.topLeft(), QSizeF(filled.width() * double(fraction), filled.height())));
    }
    painter.drawImage(filled, tintedStarHighlightedImage_);
    painter.restore();
  }
}

void RVLStarRating::mousePressEvent(QMouseEvent* event) {
  if (!editable_ || event->button() != Qt::LeftButton) return;
  setRating(starsForPoint(event->position()));
}

void RVLStarRating::mouseMoveEvent(QMouseEvent* event) {
  if (!editable_ || !(event->buttons() & Qt::LeftButton)) return;
  setRating(starsForPoint(event->position()));
}

void RVLStarRating::mouseReleaseEvent(QMouseEvent*) {
  if (!editable_) return;
  commitRating(rating_);
}

void RVLStarRating::commitRating(float rating) {
  setRating(std::clamp(rating, 0.0F, float(maxRating_)));
  QAccessibleValueChangeEvent changed(this, rating_);
  QAccessible::updateAccessibility(&changed);
  if (delegate_) delegate_->starsSelectionChanged(this, rating_);
  if (returnBlock_) returnBlock_(rating_);
}

void RVLStarRating::keyPressEvent(QKeyEvent* event) {
  if (!editable_) return QWidget::keyPressEvent(event);
  const float whole = std::round(rating_);
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
      commitRating(std::max(1.0F, whole - 1));
      break;
    case Qt::Key_Right:
    case Qt::Key_Up:
      commitRating(whole + 1);
      break;
    case Qt::Key_Home:
      commitRating(1);
      break;
    case Qt::Key_End:
      commitRating(float(maxRating_));
      break;
    default:
      return QWidget::keyPressEvent(event);
  }
}

QSize RVLStarRating::sizeHint() const {
  const QSizeF size = starSize();
  return QSize(int(std::ceil(2 * horizontalMargin_ + double(maxRating_) * size.width() +
                             double(std::max<qint64>(0, maxRating_ - 1)) * 6)),
               int(std::ceil(size.height())) + 8);
}

QImage RVLStarRating::defaultStar(int size, bool highlighted) {
  constexpr qreal kScale = 2;  // Drawn at twice the size, for sharp stars on dense screens.
  QImage image(QSize(size, size) * kScale, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(kScale);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath star;
  const QPointF centre(size / 2.0, size / 2.0 + size * 0.03);
  const qreal outer = size * 0.47;
  const qreal inner = outer * 0.48;
  for (int i = 0; i < 10; ++i) {
    const qreal radius = i % 2 == 0 ? outer : inner;
    const qreal angle = -M_PI / 2 + i * M_PI / 5;
    const QPointF p(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
    if (i == 0)
      star.moveTo(p);
    else
      star.lineTo(p);
  }
  star.closeSubpath();
  if (highlighted) {
    painter.setPen(QPen(QColor(0xe0, 0x9a, 0x10), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(0xff, 0xc2, 0x2e));
  } else {
    painter.setPen(QPen(QColor(0xb8, 0xb8, 0xb8), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(0xf2, 0xf2, 0xf2));
  }
  painter.drawPath(star);
  return image;
}

}  // namespace vimbrel
