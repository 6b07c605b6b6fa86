#include "RTKRate.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "RTKPromptDelegate.h"
#include "RTKPromptParts.h"
#include "RTKRequests.h"
#include "RTKTexts.h"
#include "RTKTransparentWindow.h"
#include "RVLButtonCell.h"
#include "RVLStarRating.h"

namespace vimbrel {

RTKTransparentWindow* RTKRate::createWindow(RTKPromptDelegate* delegate) {
  QVBoxLayout* column = nullptr;
  QToolButton* close = nullptr;
  RTKTransparentWindow* window =
      rtkparts::makeWindow(QStringLiteral("RTKRateWindow"), &column, &close);
  auto* controller = new RTKRate(window, delegate);
  QWidget* content = window->contentView();
  column->addWidget(rtkparts::makeIcon(content));
  column->addWidget(rtkparts::makeTitle(rtktexts::handedTitle(), content));
  column->addWidget(rtkparts::makeMessage(rtktexts::handedMessage(), content));

  auto* stars = new RVLStarRating(content);
  rtkparts::name(stars, QStringLiteral("starRating"), rtktexts::tr("Rating"));
  stars->setStarImage(RVLStarRating::defaultStar(30, false));
  stars->setStarHighlightedImage(RVLStarRating::defaultStar(30, true));
  stars->setBackgroundColor(Qt::transparent);
  stars->setMaxRating(5);
  stars->setEditable(true);
  stars->setDisplayMode(RVLStarRating::Full);
  stars->setRating(5);
  stars->setHorizontalMargin(3);
  stars->setFixedSize(5 * 30 + 4 * 8 + 6, 40);
  auto* row = new QHBoxLayout();
  row->addStretch();
  row->addWidget(stars);
  row->addStretch();
  column->addLayout(row);

  auto* send = new RVLButtonCell(rtktexts::tr("Send Rating"), content);
  rtkparts::name(send, QStringLiteral("sendRating"), rtktexts::tr("Send Rating"));
  send->setDefault(true);
  column->addWidget(send);

  QObject::connect(send, &QPushButton::clicked, controller, [controller, stars] {
    // A fractional rating (half or exact modes) goes out as whole stars.
    const int value = int(stars->rating());
    rtkrequests::sendRating(value);
    controller->stars_ = value;
    controller->window_->done(1);
  });
  QObject::connect(close, &QToolButton::clicked, window, [window] { window->done(0); });
  QObject::connect(window, &QDialog::finished, controller,
                   [controller] { controller->finished(); });
  return window;
}

RTKRate::RTKRate(RTKTransparentWindow* window, RTKPromptDelegate* delegate)
    : QObject(window), window_(window), delegate_(delegate) {}

void RTKRate::finished() {
  if (!delegate_) return;
  if (stars_ >= 0) {
    delegate_->ratingFinished(stars_);
  } else {
    delegate_->ratingClosed();
  }
}

}  // namespace vimbrel
