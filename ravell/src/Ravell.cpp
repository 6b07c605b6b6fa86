#include "Ravell.h"

#include <QDateTime>
#include <mutex>

#include "RAKEvent.h"
#include "RAKQueue.h"
#include "RVLDataStore.h"
#include "RVLLog.h"
#include "RVLSystemInfo.h"
#include "RavellAnalyticsKit.h"
#include "RavellTesting.h"

namespace vimbrel {
namespace {

std::mutex& sharedMutex() {
  static std::mutex mutex;
  return mutex;
}

Ravell*& sharedSlot() {
  static Ravell* instance = nullptr;
  return instance;
}

void storeCredential(const char* key, const QString& value) {
  RVLDataStore& store = RVLDataStore::sharedInstance();
  store.setObject(value, QLatin1String(key));
  store.synchronize();
}

}  // namespace

Ravell& Ravell::sharedInstance() {
  std::lock_guard lock(sharedMutex());
  Ravell*& slot = sharedSlot();
  if (!slot) slot = new Ravell();
  return *slot;
}

void RavellTesting::resetRavell() {
  std::lock_guard lock(sharedMutex());
  delete sharedSlot();
  sharedSlot() = nullptr;
}

void Ravell::setProductId(const QString& productId) {
  if (productId.size() < 6) {
    rvllog::warning(QStringLiteral(
        "Consider updating your productId to the new style id - see docs for more details"));
  }
  storeCredential(RVLDataStore::kProductKey, productId);
  setupAfterAllKeys();
}

void Ravell::setVendorId(const QString& vendorId) {
  storeCredential(RVLDataStore::kVendorKey, vendorId);
  setupAfterAllKeys();
}

void Ravell::setApiKey(const QString& apiKey) {
  storeCredential(RVLDataStore::kApiKey, apiKey);
  setupAfterAllKeys();
}

void Ravell::setupAfterAllKeys() {
  if (hasTrackingStarted_) return;
  RVLDataStore& store = RVLDataStore::sharedInstance();
  for (const char* key :
       {RVLDataStore::kApiKey, RVLDataStore::kVendorKey, RVLDataStore::kProductKey}) {
    if (!store.objectForKey(QLatin1String(key)).isValid()) return;
  }
  RavellAnalyticsKit::startTracking();
  RAKQueue& queue = RAKQueue::sharedInstance();

  if (!store.objectForKey(QStringLiteral("first_launch")).toBool()) {
    queue.addEvent(RAKEvent(QStringLiteral("RSDK.Install"), std::nullopt));
    store.setObject(true, QStringLiteral("first_launch"));
    store.setObject(QDateTime::currentDateTimeUtc(), QStringLiteral("first_launch_date"));
    store.synchronize();
  }
  queue.addEvent(RAKEvent(QStringLiteral("RSDK.Launch"), std::nullopt));

  const QVariant launches = store.objectForKey(QStringLiteral("launch_count"));
  store.setObject(launches.isValid() ? launches.toLongLong() + 1 : 1,
                  QStringLiteral("launch_count"));
  store.synchronize();

  if (!store.objectForKey(QStringLiteral("first_launch_date")).isValid()) {
    store.setObject(QDateTime::currentDateTimeUtc(), QStringLiteral("first_launch_date"));
    store.synchronize();
  }

  const QVariant storedVersion = store.objectForKey(QStringLiteral("app_version"));
  const QString currentVersion = RVLSystemInfo::appVersion();
  if (storedVersion.isValid() && storedVersion.toString() != currentVersion) {
    queue.addEvent(
        RAKEvent(QStringLiteral("RSDK.Update"),
                 QVariantMap{{QStringLiteral("Update.PreviousVersion"), storedVersion.toString()},
                             {QStringLiteral("Update.CurrentVersion"), currentVersion}}));
  }
  if (!storedVersion.isValid() || storedVersion.toString() != currentVersion) {
    store.setObject(currentVersion, QStringLiteral("app_version"));
    store.synchronize();
  }
  hasTrackingStarted_ = true;
}

}  // namespace vimbrel
