#include "RAKEvent.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThread>

#include "RTKSchedule.h"
#include "RVLJson.h"
#include "RVLSystemInfo.h"

namespace vimbrel {
namespace {

// Machine facts do not change while the process runs: read them once.
struct MachineFacts {
  QString osMajorMinor = RVLSystemInfo::osVersionMajorMinor();
  QString osMajorMinorPatch = RVLSystemInfo::osVersionMajorMinorPatch();
  QString model = RVLSystemInfo::modelIdentifier();
  QString language = RVLSystemInfo::languageCode();
};

const MachineFacts& machineFacts() {
  static const MachineFacts facts;
  return facts;
}

// Property lists have no null: in the archive an event property that is null is
// kept as empty bytes. Events never carry bytes of their own (JSON cannot write
// them, so such events are refused when they are added), so the two never mix.
QVariant nullsToBytes(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
      return QByteArray();
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
      QVariantList list;
      for (const QVariant& item : value.toList()) list.append(nullsToBytes(item));
      return list;
    }
    case QMetaType::QVariantMap: {
      QVariantMap map = value.toMap();
      for (auto it = map.begin(); it != map.end(); ++it) it.value() = nullsToBytes(it.value());
      return map;
    }
    default:
      return value;
  }
}

bool holdsBytes(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::QByteArray:
      return true;
    case QMetaType::QVariantList:
      for (const QVariant& item : value.toList()) {
        if (holdsBytes(item)) return true;
      }
      return false;
    case QMetaType::QVariantMap: {
      const QVariantMap map = value.toMap();
      for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (holdsBytes(it.value())) return true;
      }
      return false;
    }
    default:
      return false;
  }
}

QVariant bytesToNulls(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::QByteArray:
      return QVariant::fromValue(nullptr);
    case QMetaType::QVariantList: {
      QVariantList list;
      for (const QVariant& item : value.toList()) list.append(bytesToNulls(item));
      return list;
    }
    case QMetaType::QVariantMap: {
      QVariantMap map = value.toMap();
      for (auto it = map.begin(); it != map.end(); ++it) it.value() = bytesToNulls(it.value());
      return map;
    }
    default:
      return value;
  }
}

QString nowStamp() {
  return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}

}  // namespace

RAKEvent::RAKEvent(const QString& action, const std::optional<QVariantMap>& properties)
    : action_(action), properties_(properties), timestamp_(nowStamp()) {
  QCoreApplication* application = QCoreApplication::instance();
  if (!application || QThread::currentThread() == application->thread()) {
    RTKSchedule::launchToolsForEvent(action_);
    return;
  }
  // Prompts are windows, which only the main thread may create.
  QMetaObject::invokeMethod(
      application, [action = action_] { RTKSchedule::launchToolsForEvent(action); },
      Qt::QueuedConnection);
}

std::uint64_t RAKEvent::key() const {
  // FNV-1a over the action, a separator and the time stamp.
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  const auto mix = [&hash](const QString& text) {
    for (const QChar c : text) {
      hash = (hash ^ c.unicode()) * 0x100000001b3ULL;
    }
    hash = (hash ^ 0x1FU) * 0x100000001b3ULL;
  };
  mix(action_);
  mix(timestamp_);
  return hash;
}

QVariantMap RAKEvent::archive() const {
  QVariantMap archived{{QStringLiteral("action"), action_},
                       {QStringLiteral("timestamp"), timestamp_}};
  if (properties_) archived.insert(QStringLiteral("properties"), nullsToBytes(*properties_));
  return archived;
}

std::optional<RAKEvent> RAKEvent::fromArchive(const QVariant& archived) {
  if (archived.typeId() != QMetaType::QVariantMap) return std::nullopt;
  const QVariantMap map = archived.toMap();
  const QVariant action = map.value(QStringLiteral("action"));
  const QVariant timestamp = map.value(QStringLiteral("timestamp"));
  if (action.typeId() != QMetaType::QString || timestamp.typeId() != QMetaType::QString) {
    return std::nullopt;
  }
  RAKEvent event;
  event.action_ = action.toString();
  event.timestamp_ = timestamp.toString();
  const QVariant properties = map.value(QStringLiteral("properties"));
  if (properties.typeId() == QMetaType::QVariantMap) {
    // Rebuilt only when there is a null to restore: loading thousands of
    // events should not copy each one's properties.
    event.properties_ =
        holdsBytes(properties) ? bytesToNulls(properties).toMap() : properties.toMap();
  }
  return event;
}

bool RAKEvent::isWritable() const {
  return !properties_ || rvljson::toJson(*properties_).has_value();
}

QVariantMap RAKEvent::contextProperties() {
  const MachineFacts& facts = machineFacts();
  QVariantMap context{
      {QStringLiteral("Application.Version"), RVLSystemInfo::appVersion()},
      {QStringLiteral("Application.Build"), RVLSystemInfo::appBuild()},
      {QStringLiteral("OS.VersionMajor"), facts.osMajorMinor},
      {QStringLiteral("OS.VersionMinor"), facts.osMajorMinorPatch},
      {QStringLiteral("Application.SDKVersion"), RVLSystemInfo::sdkVersion()},
      {QStringLiteral("Device.SubVarient"), RVLSystemInfo::modelLettersOnly(facts.model)},
      {QStringLiteral("Device.Identifier"), facts.model},
      {QStringLiteral("Application.Platform"), QStringLiteral("mac_store")},
      {QStringLiteral("OS.Type"), QStringLiteral("mac")},
      {QStringLiteral("Device.Varient"), QStringLiteral("mac")},
      {QStringLiteral("Device.Type"), QStringLiteral("desktop")},
  };
  if (!facts.language.isEmpty()) context.insert(QStringLiteral("User.Language"), facts.language);
  return context;
}

QVariantMap RAKEvent::payload(const QString& writeKey, const QString& actor) const {
  QVariantMap properties = properties_.value_or(QVariantMap());
  properties.insert(contextProperties());
  return {{QStringLiteral("action_name"), action_},
          {QStringLiteral("timestamp"), timestamp_},
          {QStringLiteral("write_key"), writeKey},
          {QStringLiteral("actor"), actor},
          {QStringLiteral("properties"), properties}};
}

}  // namespace vimbrel
