#include "RTKFeedback.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "RTKEmail.h"
#include "RTKPromptDelegate.h"
#include "RTKPromptParts.h"
#include "RTKRequests.h"
#include "RTKTexts.h"
#include "RTKTransparentWindow.h"
#include "RVLButtonCell.h"
#include "RVLCPTextField.h"

namespace vimbrel {
namespace {

const QString kFieldStyle = QStringLiteral(
    "border: 1px solid #d6d6d6; border-radius: 5px; padding: 6px 8px; background: white;"
    "selection-background-color: #3d7bd9;");

RVLCPTextField* field(QWidget* parent, const QString& objectName, const QString& placeholder) {
  auto* edit = new RVLCPTextField(parent);
  rtkparts::name(edit, objectName, placeholder);
  edit->setPlaceholderText(placeholder);
  edit->setStyleSheet(QStringLiteral("QLineEdit {") + kFieldStyle + QLatin1Char('}'));
  return edit;
}

}  // namespace

RTKTransparentWindow* RTKFeedback::createWindow(RTKPromptDelegate* delegate, const QString& label) {
  QVBoxLayout* column = nullptr;
  QToolButton* close = nullptr;
  RTKTransparentWindow* window =
      rtkparts::makeWindow(QStringLiteral("RTKFeedbackWindow"), &column, &close);
  auto* controller = new RTKFeedback(window, delegate);
  QWidget* content = window->contentView();
  window->setWindowTitle(rtktexts::tr("Feedback"));
  window->setAccessibleName(window->windowTitle());
  column->addWidget(rtkparts::makeIcon(content));
  column->addWidget(rtkparts::makeMessage(rtktexts::handedMessage(), content));

  auto* name = field(content, QStringLiteral("name"), rtktexts::tr("Name"));
  auto* email = field(content, QStringLiteral("email"), rtktexts::tr("Email Address"));
  if (const auto known = RTKEmail::subscribedEmail()) email->setText(*known);
  auto* text = new QPlainTextEdit(content);
  rtkparts::name(text, QStringLiteral("content"), rtktexts::tr("Feedback"));
  text->setPlaceholderText(rtktexts::tr("Feedback"));
  text->setStyleSheet(QStringLiteral("QPlainTextEdit {") + kFieldStyle + QLatin1Char('}'));
  text->setFixedHeight(110);
  text->setTabChangesFocus(true);
  column->addWidget(name);
  column->addWidget(email);
  column->addWidget(text);

  auto* send = new RVLButtonCell(rtktexts::tr("Send Feedback"), content);
  rtkparts::name(send, QStringLiteral("sendFeedback"), rtktexts::tr("Send Feedback"));
  column->addWidget(send);

  QObject::connect(send, &QPushButton::clicked, controller, [=] {
    rtkrequests::sendFeedback(label, name->text(), email->text(), text->toPlainText());
    controller->sent_ = true;
    controller->window_->done(1);
  });
  QObject::connect(close, &QToolButton::clicked, window, [window] { window->done(0); });
  QObject::connect(window, &QDialog::finished, controller,
                   [controller] { controller->finished(); });
  return window;
}

RTKFeedback::RTKFeedback(RTKTransparentWindow* window, RTKPromptDelegate* delegate)
    : QObject(window), window_(window), delegate_(delegate) {}

void RTKFeedback::finished() {
  if (!delegate_) return;
  if (sent_) {
    delegate_->feedbackFinished();
  } else {
    delegate_->feedbackClosed();
  }
}

}  // namespace vimbrel
