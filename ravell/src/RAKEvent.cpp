#include "RAKEvent.h"

#include <QDateTime>

#include "RTKSchedule.h"
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

QString nowStamp() {
  return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}

}  // namespace

RAKEvent::RAKEvent(const QString& action, const std::optional<QVariantMap>& properties)
    : action_(action), properties_(properties), timestamp_(nowStamp()) {
  RTKSchedule::launchToolsForEvent(action_);
}

QVariantMap RAKEvent::archive() const {
  QVariantMap archived{{QStringLiteral("action"), action_},
                       {QStringLiteral("timestamp"), timestamp_}};
  if (properties_) archived.insert(QStringLiteral("properties"), *properties_);
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
  if (properties.typeId() == QMetaType::QVariantMap) event.properties_ = properties.toMap();
  return event;
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
