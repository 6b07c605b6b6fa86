#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace vimbrel {

class RVLDataStore;

// A signed-value layer on top of the data store: a value is kept together with
// the MD5 of its serialised form, the secret and the optional device identifier,
// so that edits to the file show up as invalid. Nothing switches it on unless a
// secret is set; using it without one is a programming error that is logged and
// does nothing.
class RVLDataStoreSecure {
 public:
  // Each may be set once per process; a second call is logged and ignored.
  static void setSecret(const QString& secret);
  static void setDeviceIdentifier(const QString& identifier);
  // Forgets both. Tests only.
  static void resetForTesting();

  explicit RVLDataStoreSecure(RVLDataStore& store) : store_(store) {}

  // Stores nothing (and logs) when the value is not a property-list value.
  void setSecureObject(const QVariant& value, const QString& key);
  void setSecureBool(bool value, const QString& key) { setSecureObject(value, key); }
  void setSecureInteger(qint64 value, const QString& key) { setSecureObject(value, key); }
  void setSecureFloat(float value, const QString& key) { setSecureObject(double(value), key); }
  void setSecureDouble(double value, const QString& key) { setSecureObject(value, key); }

  // No entry: null and valid. A matching entry: the value and valid. Anything
  // else: null and not valid. The typed readers give null / 0 / false for a
  // value of another kind.
  QVariant secureObjectForKey(const QString& key, bool* valid) const;
  QVariant secureStringForKey(const QString& key, bool* valid) const;
  QVariant secureArrayForKey(const QString& key, bool* valid) const;
  QVariant secureStringArrayForKey(const QString& key, bool* valid) const;
  QVariant secureDictionaryForKey(const QString& key, bool* valid) const;
  QVariant secureDataForKey(const QString& key, bool* valid) const;
  bool secureBoolForKey(const QString& key, bool* valid) const;
  qint64 secureIntegerForKey(const QString& key, bool* valid) const;
  float secureFloatForKey(const QString& key, bool* valid) const;
  double secureDoubleForKey(const QString& key, bool* valid) const;

 private:
  static bool hasSecret();
  static QString digestOf(const QVariant& value);
  QVariant typed(const QString& key, bool* valid, QMetaType::Type type) const;

  RVLDataStore& store_;
};

}  // namespace vimbrel
