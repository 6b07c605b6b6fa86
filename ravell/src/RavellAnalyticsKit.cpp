#include "RavellAnalyticsKit.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "DirectoryLocations.h"
#include "RAKEvent.h"
#include "RAKQueue.h"
#include "RTKTexts.h"
#include "RVLConfig.h"
#include "RVLDataStore.h"
#include "RVLLog.h"

namespace vimbrel {
namespace {

const QString kOptedIn = QStringLiteral("RAKOptedIn");

void setOptedIn(bool optedIn) {
  RVLDataStore& store = RVLDataStore::sharedInstance();
  store.setObject(optedIn, kOptedIn);
  store.synchronize();
}

}  // namespace

void RavellAnalyticsKit::startTracking() { RVLConfig::create()->getTools(); }

void RavellAnalyticsKit::track(const QString& name, const QVariantMap& properties) {
  if (name.size() > 3 && name.startsWith(QLatin1String("RSDK"))) {
    rvllog::warning(QStringLiteral("Custom events cannot begin with 'RSDK'"));
    return;
  }
  RAKQueue::sharedInstance().addEvent(
      RAKEvent(QStringLiteral("RSDK.Custom.%1").arg(name), properties));
}

void RavellAnalyticsKit::identify(const QString& userIdentifier) {
  RAKQueue::sharedInstance().identify(userIdentifier);
}

void RavellAnalyticsKit::payment(double amount, const QString& currency, const QString& product,
                                 int store) {
  static const char* const kStores[] = {"ravell", "appstore_ios", "appstore_mac", "store_other"};
  if (store < 0 || store > 3) {
    rvllog::warning(QStringLiteral("Payments must define store"));
    return;
  }
  if (currency.size() >= 4) {
    rvllog::warning(QStringLiteral("Currency code cannot be more than 3 characters"));
    return;
  }
  const QVariantMap properties{{QStringLiteral("Payment.Store"), QLatin1String(kStores[store])},
                               {QStringLiteral("$sale_value"), amount},
                               {QStringLiteral("$sale_currency"), currency},
                               {QStringLiteral("Payment.Product"), product}};
  RAKQueue::sharedInstance().addEvent(RAKEvent(QStringLiteral("RSDK.Payment"), properties));
}

void RavellAnalyticsKit::disableTracking() { setOptedIn(false); }

void RavellAnalyticsKit::enableTracking() { setOptedIn(true); }

void RavellAnalyticsKit::enableOptin() {
  if (!RVLDataStore::sharedInstance().objectForKey(kOptedIn).isValid()) presentOptinDialog();
}

bool RavellAnalyticsKit::isOptedIn() {
  const QVariant value = RVLDataStore::sharedInstance().objectForKey(kOptedIn);
  return !value.isValid() || value.toBool();
}

void RavellAnalyticsKit::presentOptinDialog() {
  // Without a widget application nobody can be asked: the question stays open.
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
    rvllog::warning(QStringLiteral("The opt-in question needs a QApplication; not asked"));
    return;
  }
  QMessageBox dialog;
  dialog.setObjectName(QStringLiteral("OptinDialog"));
  dialog.setIcon(QMessageBox::Question);
  dialog.setWindowTitle(rtktexts::tr("Send anonymous usage information?"));
  dialog.setText(rtktexts::tr("Send anonymous usage information?"));
  dialog.setInformativeText(
      rtktexts::tr("Would you like to send anonymous usage information to the developer of %@ to "
                   "help improve the application?")
          .replace(QStringLiteral("%@"), directorylocations::executableName()));
  QPushButton* ok = dialog.addButton(rtktexts::tr("OK"), QMessageBox::AcceptRole);
  ok->setObjectName(QStringLiteral("OK"));
  ok->setAccessibleName(rtktexts::tr("OK"));
  QPushButton* no = dialog.addButton(rtktexts::tr("No Thanks!"), QMessageBox::RejectRole);
  no->setObjectName(QStringLiteral("NoThanks"));
  no->setAccessibleName(rtktexts::tr("No Thanks!"));
  dialog.setDefaultButton(ok);
  dialog.setEscapeButton(no);
  dialog.exec();
  setOptedIn(dialog.clickedButton() == ok);
}

}  // namespace vimbrel
