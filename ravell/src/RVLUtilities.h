#pragma once

#include <QString>
#include <QVariantMap>
#include <optional>

#include "RVLHttp.h"

namespace vimbrel {

// An error as the framework reports it to a host.
struct RVLError {
  QString domain;
  int code = 0;
  QString description;
};

// Builders of the vendor API's two request families, both POST with a 30-second
// time-out and a form body:
// - the encrypted family ("2.2/<method>"): the whole query, credentials and
//   machine description included, AES-encrypted with the built-in key and sent
//   as the one field "arg";
// - the plain family ("3.1/<method>"): an ordinary form body in which the
//   caller's keys override the framework's.
class RVLUtilities {
 public:
  static RVLRequest urlRequestWithParameters(const std::optional<QVariantMap>& parameters,
                                             const QString& method, int timeoutSeconds = 30);
  static RVLRequest v3APIRequestWithParameters(const QVariantMap& parameters,
                                               const QString& method);

  // Percent-encodes the UTF-8 bytes of `text`, keeping only letters, digits and
  // "-._~"; NUL characters are dropped.
  static QString urlEscapeString(const QString& text);
  // key=value pairs joined by "&" (after `base`), both sides percent-encoded;
  // numbers in decimal, booleans as 1 and 0.
  static QString addQueryStringToUrlString(const QString& base, const QVariantMap& parameters);
  // The compact JSON machine description of the encrypted family.
  static QByteArray systemJson();

  static QString appIdentifier();
  static RVLError errorWithCode(int code, const QString& description);
  static QString currencyCodeFromCurrency(const QString& currency);
};

}  // namespace vimbrel
