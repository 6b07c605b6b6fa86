#include "RTKThanks.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "RTKPromptDelegate.h"
#include "RTKPromptParts.h"
#include "RTKTexts.h"
#include "RTKTransparentWindow.h"
#include "RVLButtonCell.h"

namespace vimbrel {

RTKTransparentWindow* RTKThanks::createWindow(RTKPromptDelegate* delegate) {
  QVBoxLayout* column = nullptr;
  QToolButton* close = nullptr;
  RTKTransparentWindow* window =
      rtkparts::makeWindow(QStringLiteral("RTKThanksWindow"), &column, &close);
  auto* controller = new RTKThanks(window, delegate);
  QWidget* content = window->contentView();
  column->addWidget(rtkparts::makeIcon(content));
  column->addWidget(rtkparts::makeTitle(rtktexts::tr("Thank you!"), content));

  auto* buttons = new QHBoxLayout();
  buttons->setSpacing(10);
  auto* no = new RVLButtonCell(rtktexts::tr("No Thanks!"), content);
  rtkparts::name(no, QStringLiteral("noThanks"), rtktexts::tr("No Thanks!"));
  auto* yes = new RVLButtonCell(rtktexts::tr("Send Feedback"), content);
  rtkparts::name(yes, QStringLiteral("sendFeedback"), rtktexts::tr("Send Feedback"));
  yes->setDefault(true);
  buttons->addWidget(no);
  buttons->addWidget(yes);
  column->addSpacing(4);
  column->addLayout(buttons);

  QObject::connect(yes, &QPushButton::clicked, controller, [controller] {
    controller->wantsFeedback_ = true;
    controller->window_->done(1);
  });
  QObject::connect(no, &QPushButton::clicked, window, [window] { window->done(0); });
  QObject::connect(close, &QToolButton::clicked, window, [window] { window->done(0); });
  QObject::connect(window, &QDialog::finished, controller,
                   [controller] { controller->finished(); });
  return window;
}

RTKThanks::RTKThanks(RTKTransparentWindow* window, RTKPromptDelegate* delegate)
    : QObject(window), window_(window), delegate_(delegate) {}

void RTKThanks::finished() {
  if (!delegate_) return;
  if (wantsFeedback_) {
    delegate_->thanksFeedback();
  } else {
    delegate_->thanksClosed();
  }
}

}  // namespace vimbrel
