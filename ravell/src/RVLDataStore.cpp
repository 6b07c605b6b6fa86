#include "RVLDataStore.h"

#include <QJsonDocument>

#include "DirectoryLocations.h"
#include "RVLArchive.h"
#include "RVLCrypt.h"
#include "RVLLog.h"

namespace vimbrel {
namespace {

std::mutex& sharedMutex() {
  static std::mutex mutex;
  return mutex;
}

// Never destroyed: the store lives as long as the process, and other singletons
// may still use it while static objects are torn down.
RVLDataStore*& sharedSlot() {
  static RVLDataStore* instance = nullptr;
  return instance;
}

std::optional<QString> defaultPath() {
  const auto folder = directorylocations::applicationSupportDirectory();
  if (!folder) return std::nullopt;
  return *folder + QStringLiteral("/%1.ravl").arg(QStringLiteral("ravdata"));
}

}  // namespace

RVLDataStore& RVLDataStore::sharedInstance() {
  std::lock_guard lock(sharedMutex());
  RVLDataStore*& slot = sharedSlot();
  if (!slot) {
    slot = new RVLDataStore(defaultPath());
    slot->load();
  }
  return *slot;
}

void RVLDataStore::resetSharedInstanceForTesting() {
  std::lock_guard lock(sharedMutex());
  delete sharedSlot();
  sharedSlot() = nullptr;
}

RVLDataStore::RVLDataStore(std::optional<QString> path) : path_(std::move(path)) {}

void RVLDataStore::load() {
  QVariantMap loaded;
  if (path_) loaded = rvlarchive::readDictionary(*path_).root;
  std::lock_guard lock(mutex_);
  root_ = std::move(loaded);
}

void RVLDataStore::store() {
  if (!path_) return;
  std::lock_guard lock(mutex_);
  storeLocked();
}

void RVLDataStore::storeLocked() {
  writePending_ = !rvlarchive::writeDictionary(*path_, root_);
  if (writePending_) {
    rvllog::warning(
        QStringLiteral("Could not write %1; trying again at the next change").arg(*path_));
  }
}

void RVLDataStore::retryPendingWriteLocked() {
  if (writePending_ && path_) storeLocked();
}

bool RVLDataStore::isCredentialKey(const QString& key) {
  return key == QLatin1String(kProductKey) || key == QLatin1String(kApiKey) ||
         key == QLatin1String(kVendorKey);
}

void RVLDataStore::setObject(const QVariant& value, const QString& key) {
  // A null (nil, or JSON null) is absent: it leaves the entry untouched.
  if (!value.isValid() || value.typeId() == QMetaType::Nullptr) return;
  std::lock_guard lock(mutex_);
  if (key == QLatin1String(kProductKey)) {
    productId_ = value.toString();
  } else if (key == QLatin1String(kApiKey)) {
    apiKey_ = value.toString();
  } else if (key == QLatin1String(kVendorKey)) {
    vendorId_ = value.toString();
  } else if (!rvlarchive::toBinaryPlist(QVariantMap{{key, value}})) {
    // A value the file cannot hold would make every later write fail.
    rvllog::warning(QStringLiteral("Value for %1 refused: it cannot be stored").arg(key));
  } else {
    root_.insert(key, value);
    retryPendingWriteLocked();
  }
}

QVariant RVLDataStore::objectForKey(const QString& key) const {
  std::lock_guard lock(mutex_);
  if (isCredentialKey(key)) {
    const QString& value = key == QLatin1String(kProductKey) ? productId_
                           : key == QLatin1String(kApiKey)   ? apiKey_
                                                             : vendorId_;
    return value.isNull() ? QVariant() : QVariant(value);
  }
  return root_.value(key);
}

void RVLDataStore::removeObjectForKey(const QString& key) {
  std::lock_guard lock(mutex_);
  root_.remove(key);
  retryPendingWriteLocked();
}

std::optional<QVariantMap> RVLDataStore::dictionaryForKey(const QString& key) const {
  const QVariant value = objectForKey(key);
  if (value.typeId() != QMetaType::QVariantMap) return std::nullopt;
  return value.toMap();
}

QString RVLDataStore::hashOf(const QVariant& value) const {
  QString text = value.toString();
  if (value.typeId() == QMetaType::QVariantMap || value.typeId() == QMetaType::QVariantList) {
    text = QString::fromUtf8(QJsonDocument::fromVariant(value).toJson(QJsonDocument::Compact));
  }
  return rvlcrypt::sha256Hex((text + objectForKey(QLatin1String(kProductKey)).toString()).toUtf8());
}

void RVLDataStore::setHashObject(const QVariant& value, const QString& key) {
  if (!value.isValid()) return;
  setObject(QVariantMap{{QStringLiteral("hash"), hashOf(value)}, {key, value}}, key);
}

QVariant RVLDataStore::hashObjectForKey(const QString& key, bool* valid) const {
  const auto entry = dictionaryForKey(key);
  if (!entry) {
    if (valid) *valid = false;
    return {};
  }
  const QVariant value = entry->value(key);
  if (valid)
    *valid = value.isValid() && entry->value(QStringLiteral("hash")).toString() == hashOf(value);
  return value;
}

}  // namespace vimbrel
