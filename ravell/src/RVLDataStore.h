#pragma once

#include <QString>
#include <QVariant>
#include <mutex>
#include <optional>

namespace vimbrel {

// The framework's process-wide key-value store, kept in "ravdata.ravl" in the
// host's data folder. Values are QVariant property-list values. The three host
// credentials live in memory only and are never written to the file, so the
// host sets them at every launch. Changes reach the file on synchronize().
// All members are safe to call from any thread.
class RVLDataStore {
 public:
  static constexpr char kProductKey[] = "RavellProductKey";
  static constexpr char kApiKey[] = "RavellApiKey";
  static constexpr char kVendorKey[] = "RavellVendorKey";

  // Created and loaded on first use.
  static RVLDataStore& sharedInstance();
  // Drops the shared instance so that the next use loads the file again, as a
  // new process would. Tests only.
  static void resetSharedInstanceForTesting();

  // A store on `path`; without a path it works in memory only.
  explicit RVLDataStore(std::optional<QString> path);

  // Replaces the in-memory values by the file's (empty when missing; a corrupt
  // file is moved aside).
  void load();
  // Writes every persisted value to the file, atomically. A failure is logged;
  // the in-memory state stays, and the write is tried again at the next change
  // (or the next call).
  void store();
  void synchronize() { store(); }

  // A null value (invalid, or a JSON null) is ignored and leaves an existing
  // entry untouched; so is, with a warning, a value the file cannot hold.
  void setObject(const QVariant& value, const QString& key);
  QVariant objectForKey(const QString& key) const;
  void removeObjectForKey(const QString& key);
  std::optional<QVariantMap> dictionaryForKey(const QString& key) const;

  // Stores {"hash": SHA-256 of the value's text and the product id, key: value}.
  void setHashObject(const QVariant& value, const QString& key);
  // The value stored by setHashObject; `valid` tells whether its hash matches.
  QVariant hashObjectForKey(const QString& key, bool* valid) const;

  std::optional<QString> pathForDataFile() const { return path_; }

 private:
  static bool isCredentialKey(const QString& key);
  void storeLocked();
  void retryPendingWriteLocked();
  QString hashOf(const QVariant& value) const;

  const std::optional<QString> path_;
  mutable std::mutex mutex_;
  QVariantMap root_;
  // The last write failed: the next change writes again.
  bool writePending_ = false;
  QString apiKey_;
  QString productId_;
  QString vendorId_;
};

}  // namespace vimbrel
