#include "RVLConfig.h"

#include "RAKQueue.h"
#include "RVLCrypt.h"
#include "RVLDataStore.h"
#include "RVLJson.h"
#include "RVLLog.h"
#include "RVLUtilities.h"

namespace vimbrel {
namespace {

// A JSON null counts as absent.
bool isPresent(const QVariant& value) { return value.isValid() && !value.isNull(); }

bool succeeded(const QVariant& answer) {
  if (answer.typeId() != QMetaType::QVariantMap) return false;
  const QVariant success = answer.toMap().value(QStringLiteral("success"));
  return success.typeId() == QMetaType::Bool
             ? success.toBool()
             : success.canConvert<double>() && success.toDouble() != 0;
}

void post(const RVLRequest& request, const std::shared_ptr<RVLConfig>& self, QObject* context,
          const std::function<void(const QVariant&, const std::shared_ptr<RVLConfig>&)>& handle,
          QVariant (*decode)(const RVLResponse&)) {
  rvlhttp::post(request, context, [self, handle, decode](const RVLResponse& response) {
    if (!response.transportOk) {
      rvllog::warning(QStringLiteral("CONFIG ERROR: %1").arg(response.error));
      return;
    }
    handle(decode(response), self);
  });
}

}  // namespace

std::shared_ptr<RVLConfig> RVLConfig::create() {
  return std::shared_ptr<RVLConfig>(new RVLConfig());
}

QVariant RVLConfig::decodeAnswer(const RVLResponse& response) {
  const auto text = rvlcrypt::aes256DecryptString(QString::fromUtf8(response.body),
                                                  QString::fromLatin1(rvlcrypt::kBuiltInKey));
  if (!text || text->isEmpty()) return {};
  // The answer must be plain ASCII; anything else is not an answer of the API
  // (and would otherwise turn into a write key full of question marks).
  for (const QChar c : *text) {
    if (c.unicode() > 0x7F) return {};
  }
  return rvljson::parse(text->toLatin1());
}

void RVLConfig::getTools() {
  const RVLRequest request =
      RVLUtilities::urlRequestWithParameters(std::nullopt, QStringLiteral("config/tools"));
  post(request, shared_from_this(), context_.get(), &RVLConfig::toolsAnswered, &decodeAnswer);
}

void RVLConfig::getKeys(const QString& planIdentifier) {
  const RVLRequest request = RVLUtilities::urlRequestWithParameters(
      QVariantMap{{QStringLiteral("uid"), planIdentifier}}, QStringLiteral("config/keys"));
  post(
      request, shared_from_this(), context_.get(),
      [](const QVariant& answer, const std::shared_ptr<RVLConfig>&) { keysAnswered(answer); },
      &decodeAnswer);
}

void RVLConfig::toolsAnswered(const QVariant& answer, const std::shared_ptr<RVLConfig>& self) {
  if (!succeeded(answer)) return;
  const QVariantMap map = answer.toMap();
  const QVariant tools = map.value(QStringLiteral("response"));
  const bool hasElements =
      (tools.typeId() == QMetaType::QVariantList && !tools.toList().isEmpty()) ||
      (tools.typeId() == QMetaType::QVariantMap && !tools.toMap().isEmpty());
  if (!hasElements) {
    RAKQueue::sharedInstance().stop();
    return;
  }
  RVLDataStore& store = RVLDataStore::sharedInstance();
  for (const QVariant& element : tools.toList()) {
    const QVariantMap tool = element.toMap();
    if (tool.value(QStringLiteral("tool")).toString() != QLatin1String("analytics") ||
        tool.value(QStringLiteral("state")).toString() != QLatin1String("active")) {
      continue;
    }
    const QVariant plan = tool.value(QStringLiteral("plan"));
    if (plan.typeId() != QMetaType::QVariantMap) continue;
    const QVariant uid = plan.toMap().value(QStringLiteral("uid"));
    if (!isPresent(uid)) continue;
    const QVariant ip = map.value(QStringLiteral("ip"));
    store.setObject(uid, QStringLiteral("RAKPlan"));
    store.setObject(isPresent(ip) ? ip : QVariant(QStringLiteral("none")), QStringLiteral("RAKIp"));
    store.synchronize();
    self->getKeys(uid.toString());
  }
}

void RVLConfig::keysAnswered(const QVariant& answer) {
  if (!succeeded(answer)) return;
  RVLDataStore& store = RVLDataStore::sharedInstance();
  const QString plan = store.objectForKey(QStringLiteral("RAKPlan")).toString();
  const QVariant keys = answer.toMap().value(QStringLiteral("response"));
  if (keys.typeId() == QMetaType::QVariantMap && isPresent(keys.toMap().value(plan))) {
    store.setObject(keys.toMap().value(plan), QStringLiteral("RAKWriteKey"));
    store.synchronize();
    return;
  }
  RAKQueue::sharedInstance().stop();
}

}  // namespace vimbrel
