#include "RVLDataStoreSecure.h"

#include <mutex>
#include <optional>

#include "RVLArchive.h"
#include "RVLCrypt.h"
#include "RVLDataStore.h"
#include "RVLLog.h"

namespace vimbrel {
namespace {

constexpr char kValueKey[] = "VelkSecureUserDefaultsValue";
constexpr char kHashKey[] = "VelkSecureUserDefaultsHash";

struct SecureState {
  std::mutex mutex;
  std::optional<QByteArray> secret;
  std::optional<QByteArray> deviceIdentifier;
};

SecureState& state() {
  static SecureState instance;
  return instance;
}

void reportMissingSecret() {
  rvllog::warning(
      QStringLiteral("Provide a secret before using any secure writing or reading methods!"));
}

bool isNumber(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
      return true;
    default:
      return false;
  }
}

}  // namespace

void RVLDataStoreSecure::setSecret(const QString& secret) {
  std::lock_guard lock(state().mutex);
  if (state().secret) {
    rvllog::warning(QStringLiteral("The secret has already been set"));
    return;
  }
  state().secret = secret.toUtf8();
}

void RVLDataStoreSecure::setDeviceIdentifier(const QString& identifier) {
  std::lock_guard lock(state().mutex);
  if (state().deviceIdentifier) {
    rvllog::warning(QStringLiteral("The device identifier has already been set"));
    return;
  }
  state().deviceIdentifier = identifier.toUtf8();
}

void RVLDataStoreSecure::resetForTesting() {
  std::lock_guard lock(state().mutex);
  state().secret.reset();
  state().deviceIdentifier.reset();
}

bool RVLDataStoreSecure::hasSecret() {
  std::lock_guard lock(state().mutex);
  return state().secret.has_value();
}

QString RVLDataStoreSecure::digestOf(const QVariant& value) {
  const auto archived = rvlarchive::toBinaryPlist(value);
  if (!archived) return {};
  std::lock_guard lock(state().mutex);
  QByteArray input = *archived + state().secret.value_or(QByteArray());
  if (state().deviceIdentifier) input += *state().deviceIdentifier;
  return rvlcrypt::md5Hex(input);
}

void RVLDataStoreSecure::setSecureObject(const QVariant& value, const QString& key) {
  if (!hasSecret()) {
    reportMissingSecret();
    return;
  }
  const QString digest = digestOf(value);
  if (digest.isEmpty()) {
    rvllog::warning(QStringLiteral("*** -[NSUserDefaults setSecureObject:forKey:]: Attempt to "
                                   "insert non-property value '%1' of class '%2'.")
                        .arg(value.toString(), QString::fromLatin1(value.typeName())));
    return;
  }
  store_.setObject(
      QVariantMap{{QLatin1String(kValueKey), value}, {QLatin1String(kHashKey), digest}}, key);
}

QVariant RVLDataStoreSecure::secureObjectForKey(const QString& key, bool* valid) const {
  if (valid) *valid = false;
  if (!hasSecret()) {
    reportMissingSecret();
    return {};
  }
  const auto entry = store_.dictionaryForKey(key);
  if (!entry) {
    if (valid) *valid = true;
    return {};
  }
  const QVariant value = entry->value(QLatin1String(kValueKey));
  const QString digest = entry->value(QLatin1String(kHashKey)).toString();
  if (!value.isValid() || digest.isEmpty() || digest != digestOf(value)) return {};
  if (valid) *valid = true;
  return value;
}

QVariant RVLDataStoreSecure::typed(const QString& key, bool* valid, QMetaType::Type type) const {
  const QVariant value = secureObjectForKey(key, valid);
  return value.typeId() == type ? value : QVariant();
}

QVariant RVLDataStoreSecure::secureStringForKey(const QString& key, bool* valid) const {
  return typed(key, valid, QMetaType::QString);
}

QVariant RVLDataStoreSecure::secureArrayForKey(const QString& key, bool* valid) const {
  return typed(key, valid, QMetaType::QVariantList);
}

QVariant RVLDataStoreSecure::secureStringArrayForKey(const QString& key, bool* valid) const {
  const QVariant value = secureArrayForKey(key, valid);
  for (const QVariant& item : value.toList()) {
    if (item.typeId() != QMetaType::QString) return {};
  }
  return value;
}

QVariant RVLDataStoreSecure::secureDictionaryForKey(const QString& key, bool* valid) const {
  return typed(key, valid, QMetaType::QVariantMap);
}

QVariant RVLDataStoreSecure::secureDataForKey(const QString& key, bool* valid) const {
  return typed(key, valid, QMetaType::QByteArray);
}

bool RVLDataStoreSecure::secureBoolForKey(const QString& key, bool* valid) const {
  const QVariant value = secureObjectForKey(key, valid);
  return isNumber(value) && value.toBool();
}

qint64 RVLDataStoreSecure::secureIntegerForKey(const QString& key, bool* valid) const {
  const QVariant value = secureObjectForKey(key, valid);
  return isNumber(value) ? value.toLongLong() : 0;
}

float RVLDataStoreSecure::secureFloatForKey(const QString& key, bool* valid) const {
  return float(secureDoubleForKey(key, valid));
}

double RVLDataStoreSecure::secureDoubleForKey(const QString& key, bool* valid) const {
  const QVariant value = secureObjectForKey(key, valid);
  return isNumber(value) ? value.toDouble() : 0.0;
}

}  // namespace vimbrel
