#include "RTKHappiness.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVBoxLayout>

#include "RTKPromptDelegate.h"
#include "RTKPromptParts.h"
#include "RTKRequests.h"
#include "RTKTexts.h"
#include "RTKTransparentWindow.h"

namespace vimbrel {
namespace {

// A face: smiling (1), straight (2) or sad (3).
QIcon face(int mood) {
  constexpr int kSize = 44;
  QPixmap pixmap(QSize(kSize, kSize) * 2);
  pixmap.setDevicePixelRatio(2);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor colours[] = {QColor(0x4c, 0xb8, 0x5a), QColor(0xf0, 0xb4, 0x29),
                            QColor(0xe2, 0x5c, 0x4f)};
  const QColor colour = colours[mood - 1];
  painter.setPen(QPen(colour.darker(115), 1.5));
  painter.setBrush(colour.lighter(175));
  painter.drawEllipse(QRectF(2, 2, kSize - 4, kSize - 4));
  painter.setBrush(colour.darker(140));
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(QPointF(kSize * 0.36, kSize * 0.40), 2.6, 3.2);
  painter.drawEllipse(QPointF(kSize * 0.64, kSize * 0.40), 2.6, 3.2);
  QPainterPath mouth;
  const qreal y = kSize * 0.64;
  mouth.moveTo(kSize * 0.32, y);
  const qreal bend = mood == 1 ? 7 : mood == 2 ? 0 : -6;
  mouth.quadTo(kSize * 0.5, y + bend, kSize * 0.68, y);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(colour.darker(140), 2.4, Qt::SolidLine, Qt::RoundCap));
  painter.drawPath(mouth);
  return QIcon(pixmap);
}

}  // namespace

RTKTransparentWindow* RTKHappiness::createWindow(RTKPromptDelegate* delegate) {
  QVBoxLayout* column = nullptr;
  QToolButton* close = nullptr;
  RTKTransparentWindow* window =
      rtkparts::makeWindow(QStringLiteral("RTKHappinessWindow"), &column, &close);
  auto* controller = new RTKHappiness(window, delegate);
  QWidget* content = window->contentView();
  column->addWidget(rtkparts::makeIcon(content));
  column->addWidget(rtkparts::makeTitle(rtktexts::handedTitle(), content));
  column->addWidget(rtkparts::makeMessage(rtktexts::handedMessage(), content));

  auto* answers = new QHBoxLayout();
  answers->setSpacing(26);
  answers->addStretch();
  const struct {
    const char* objectName;
    const char* accessible;
    int value;
  } kAnswers[] = {{"happy", "Happy", 1}, {"neutral", "Neutral", 2}, {"sad", "Sad", 3}};
  for (const auto& answer : kAnswers) {
    auto* button = new QToolButton(content);
    rtkparts::name(button, QLatin1String(answer.objectName), rtktexts::tr(answer.accessible));
    button->setToolTip(rtktexts::tr(answer.accessible));
    button->setIcon(face(answer.value));
    button->setIconSize(QSize(44, 44));
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        QStringLiteral("QToolButton { border: none; border-radius: 26px; padding: 4px; }"
                       "QToolButton:hover { background: #f0f0f0; }"));
    QObject::connect(button, &QToolButton::clicked, controller, [controller, value = answer.value] {
      rtkrequests::sendHappiness(value);
      controller->answer_ = value;
      controller->window_->done(value);
    });
    answers->addWidget(button);
  }
  answers->addStretch();
  column->addSpacing(4);
  column->addLayout(answers);

  QObject::connect(close, &QToolButton::clicked, window, [window] { window->done(0); });
  QObject::connect(window, &QDialog::finished, controller,
                   [controller] { controller->finished(); });
  return window;
}

RTKHappiness::RTKHappiness(RTKTransparentWindow* window, RTKPromptDelegate* delegate)
    : QObject(window), window_(window), delegate_(delegate) {}

void RTKHappiness::finished() {
  if (!delegate_) return;
  if (answer_ > 0) {
    delegate_->happinessFinished(answer_);
  } else {
    delegate_->happinessClosed();
  }
}

}  // namespace vimbrel
