#include "RTKEmail.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include "RTKPromptParts.h"
#include "RTKRequests.h"
#include "RTKTexts.h"
#include "RVLCPTextField.h"
#include "RVLDataStore.h"
#include "RVLLog.h"

namespace vimbrel {
namespace {

const QString kPromptFlag = QStringLiteral("RVLEmailPrompt");
const QString kSubscribed = QStringLiteral("RVLSubscribed");
const QString kSubscribedEmail = QStringLiteral("RVLSubscribedEmail");

}  // namespace

QMessageBox* RTKEmail::buildAlert(const std::optional<QString>& message) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
  auto* alert = new QMessageBox();
  rtkparts::name(alert, QStringLiteral("EmailAlert"), rtktexts::trWithAppName("Welcome to %@!"));
  alert->setWindowTitle(rtktexts::trWithAppName("Welcome to %@!"));
  alert->setTextFormat(Qt::RichText);
  alert->setText(
      QStringLiteral("<b>%1</b>").arg(rtktexts::trWithAppName("Welcome to %@!").toHtmlEscaped()));
  alert->setInformativeText(message.value_or(rtktexts::trWithAppName(
      "Thanks for downloading, subscribe to our list to keep up to date with all the latest "
      "features in %@, and apps from our team!")));
  alert->setIconPixmap(rtktexts::applicationIcon(64));
  QPushButton* join = alert->addButton(rtktexts::tr("Join"), QMessageBox::AcceptRole);
  rtkparts::name(join, QStringLiteral("Join"), rtktexts::tr("Join"));
  QPushButton* cancel = alert->addButton(rtktexts::tr("Cancel"), QMessageBox::RejectRole);
  rtkparts::name(cancel, QStringLiteral("Cancel"), rtktexts::tr("Cancel"));
  alert->setDefaultButton(join);
  alert->setEscapeButton(cancel);
  // The address field sits
  auto* field = new RVLCPTextField(alert);
  rtkparts::name(field, QStringLiteral("email"), rtktexts::tr("Email Address"));
  field->setPlaceholderText(rtktexts::tr("Email Address"));
  field->setFixedSize(280, 24);
  // between the texts and the buttons, as an alert's accessory view does.
  auto* grid = qobject_cast<QGridLayout*>(alert->layout());
  auto* buttons = alert->findChild<QDialogButtonBox*>();
  const int index = grid && buttons ? grid->indexOf(buttons) : -1;
  if (index >= 0) {
    int row = 0;
    int column = 0;
    int rowSpan = 0;
    int columnSpan = 0;
    grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
    grid->removeWidget(buttons);
    grid->addWidget(field, row, 1, 1, grid->columnCount() - 1, Qt::AlignLeft);
    grid->addItem(new QSpacerItem(0, 8), row + 1, 0);
    grid->addWidget(buttons, row + 2, column, rowSpan, columnSpan);
  } else if (grid) {
    grid->addWidget(field, grid->rowCount(), 1, 1, grid->columnCount() - 1, Qt::AlignLeft);
  }
  return alert;
}

void RTKEmail::presentEmailSubscribePromptWithMessage(const std::optional<QString>& message) {
  RVLDataStore& store = RVLDataStore::sharedInstance();
  if (!store.objectForKey(kPromptFlag).isValid()) {
    QPointer<QMessageBox> alert = buildAlert(message);
    if (!alert) {
      rvllog::warning(QStringLiteral("The e-mail prompt needs a QApplication"));
      return;
    }
    auto* field = alert->findChild<QLineEdit*>(QStringLiteral("email"));
    field->setFocus();
    alert->exec();
    if (alert && alert->clickedButton() &&
        alert->clickedButton()->objectName() == QLatin1String("Join")) {
      subscribeForUpdatesWithEmail(field->text());
    }
    delete alert;
    store.setObject(true, kPromptFlag);
    store.synchronize();
    return;
  }
  if (!store.objectForKey(kSubscribed).isValid() &&
      store.objectForKey(kSubscribedEmail).isValid()) {
    subscribeForUpdatesWithEmail(store.objectForKey(kSubscribedEmail).toString());
  }
}

void RTKEmail::subscribeForUpdatesWithEmail(const QString& email) {
  RVLDataStore& store = RVLDataStore::sharedInstance();
  store.setObject(email, kSubscribedEmail);
  store.synchronize();
  rtkrequests::sendEmail(email, [] {
    RVLDataStore& answered = RVLDataStore::sharedInstance();
    answered.setObject(true, kSubscribed);
    answered.synchronize();
  });
}

std::optional<QString> RTKEmail::subscribedEmail() {
  RVLDataStore& store = RVLDataStore::sharedInstance();
  const QVariant email = store.objectForKey(kSubscribedEmail);
  if (!store.objectForKey(kSubscribed).isValid() || !email.isValid()) return std::nullopt;
  return email.toString();
}

}  // namespace vimbrel
