#include "RVLUtilities.h"

#include <QJsonDocument>

#include "RVLBase64.h"
#include "RVLCrypt.h"
#include "RVLDataStore.h"
#include "RVLEndpoints.h"
#include "RVLJson.h"
#include "RVLSystemInfo.h"

namespace vimbrel {
namespace {

QString stored(const char* key) {
  return RVLDataStore::sharedInstance().objectForKey(QLatin1String(key)).toString();
}

QString describe(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Bool:
      return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::QVariantList:
    case QMetaType::QVariantMap:
      return QString::fromUtf8(QJsonDocument::fromVariant(value).toJson(QJsonDocument::Compact));
    default:
      return value.toString();
  }
}

bool isUnreserved(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

RVLRequest formRequest(const QUrl& url, const QByteArray& body, int timeoutSeconds) {
  RVLRequest request;
  request.url = url;
  request.body = body;
  request.timeoutMs = timeoutSeconds * 1000;
  return request;
}

}  // namespace

QString RVLUtilities::urlEscapeString(const QString& text) {
  static const char kHex[] = "0123456789ABCDEF";
  QString escaped;
  for (const char c : text.toUtf8()) {
    if (c == '\0') continue;
    if (isUnreserved(c)) {
      escaped += QLatin1Char(c);
      continue;
    }
    const auto byte = static_cast<unsigned char>(c);
    escaped += QLatin1Char('%');
    escaped += QLatin1Char(kHex[byte >> 4]);
    escaped += QLatin1Char(kHex[byte & 0x0F]);
  }
  return escaped;
}

QString RVLUtilities::addQueryStringToUrlString(const QString& base,
                                                const QVariantMap& parameters) {
  QString query = base;
  for (auto it = parameters.cbegin(); it != parameters.cend(); ++it) {
    query += query.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?');
    query += urlEscapeString(it.key()) + QLatin1Char('=') + urlEscapeString(describe(it.value()));
  }
  return query.mid(1);
}

QByteArray RVLUtilities::systemJson() {
  const QVariantMap system{{QStringLiteral("model_identifier"), RVLSystemInfo::modelIdentifier()},
                           {QStringLiteral("os_version"), RVLSystemInfo::osVersion()},
                           {QStringLiteral("app_version"), RVLSystemInfo::appVersion()},
                           {QStringLiteral("uuid"), RVLSystemInfo::deviceIdentifier()},
                           {QStringLiteral("platform"), QStringLiteral("mac")}};
  return rvljson::serialize(system).value_or(QByteArray("{}"));
}

RVLRequest RVLUtilities::urlRequestWithParameters(const std::optional<QVariantMap>& parameters,
                                                  const QString& method, int timeoutSeconds) {
  QVariantMap all = parameters.value_or(QVariantMap());
  all.insert(QStringLiteral("product_id"), stored(RVLDataStore::kProductKey));
  all.insert(QStringLiteral("api_key"), stored(RVLDataStore::kApiKey));
  all.insert(QStringLiteral("system"), rvlbase64::encodedString(systemJson()));
  const QString query = addQueryStringToUrlString(QString(), all);
  const QString cipher =
      rvlcrypt::aes256EncryptString(query, QString::fromLatin1(rvlcrypt::kBuiltInKey))
          .value_or(QString());
  QString field = cipher;
  field.replace(QLatin1Char('+'), QStringLiteral("%2B"));
  return formRequest(rvlendpoints::apiUrl(QStringLiteral("2.2/%1").arg(method)),
                     QByteArrayLiteral("arg=") + field.toLatin1(), timeoutSeconds);
}

RVLRequest RVLUtilities::v3APIRequestWithParameters(const QVariantMap& parameters,
                                                    const QString& method) {
  const QString uuid = RVLSystemInfo::deviceIdentifier();
  QVariantMap all = parameters;
  all.insert(QStringLiteral("product_id"), stored(RVLDataStore::kProductKey));
  all.insert(QStringLiteral("api_key"), stored(RVLDataStore::kApiKey));
  all.insert(QStringLiteral("vendor_id"), stored(RVLDataStore::kVendorKey));
  all.insert(QStringLiteral("uuid"), uuid);
  all.insert(QStringLiteral("application_identifier"), RVLSystemInfo::appBundleIdentifier());
  all.insert(QStringLiteral("system_os_version"), RVLSystemInfo::osVersionMajorMinor());
  all.insert(QStringLiteral("system_app_version"), RVLSystemInfo::appVersion());
  all.insert(QStringLiteral("system_uuid"), uuid);
  all.insert(QStringLiteral("system_os"), QStringLiteral("mac"));
  // The caller's own values win over the framework's.
  all.insert(parameters);
  return formRequest(rvlendpoints::api3Url(QStringLiteral("3.1/%1").arg(method)),
                     addQueryStringToUrlString(QString(), all).toLatin1(), 30);
}

QString RVLUtilities::appIdentifier() {
  return RVLSystemInfo::hardwareIdentifier().value_or(QString()) +
         RVLSystemInfo::appBundleIdentifier();
}

RVLError RVLUtilities::errorWithCode(int code, const QString& description) {
  return RVLError{QStringLiteral("Ravell"), code, description};
}

QString RVLUtilities::currencyCodeFromCurrency(const QString& currency) {
  if (currency == QLatin1String("USD")) return QStringLiteral("$");
  if (currency == QLatin1String("GBP")) return QStringLiteral("\u00a3");
  if (currency == QLatin1String("EUR")) return QStringLiteral("\u20ac");
  return {};
}

}  // namespace vimbrel
