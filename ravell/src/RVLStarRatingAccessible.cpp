#include "RVLStarRatingAccessible.h"

#include <QAccessibleWidget>
#include <cmath>

#include "RVLStarRating.h"

namespace vimbrel {

namespace {

class StarRatingAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit StarRatingAccessible(RVLStarRating* rating)
      : QAccessibleWidget(rating, QAccessible::Slider) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) {
      return QStringLiteral("%1 / %2")
          .arg(std::lround(stars()->rating()))
          .arg(stars()->maxRating());
    }
    return QAccessibleWidget::text(kind);
  }
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = !stars()->editable();
    return state;
  }

  QVariant currentValue() const override { return double(stars()->rating()); }
  void setCurrentValue(const QVariant& value) override {
    if (stars()->editable()) stars()->commitRating(float(std::round(value.toDouble())));
  }
  QVariant maximumValue() const override { return double(stars()->maxRating()); }
  QVariant minimumValue() const override { return 0.0; }
  QVariant minimumStepSize() const override { return 1.0; }

 private:
  RVLStarRating* stars() const { return static_cast<RVLStarRating*>(widget()); }
};

}  // namespace

void registerStarRatingAccessible(RVLStarRating* rating) {
  // Registered for the widget itself: the screen reader's query for it finds
  // this interface before any generic one. The cache deletes it with the widget.
  QAccessible::registerAccessibleInterface(new StarRatingAccessible(rating));
}

}  // namespace vimbrel
