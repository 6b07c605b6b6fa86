#include "RVLEndpoints.h"

#include <cstdlib>

namespace vimbrel::rvlendpoints {
namespace {

QString base(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  QString text = QString::fromUtf8(value && *value ? value : fallback);
  while (text.endsWith(QLatin1Char('/'))) text.chop(1);
  return text;
}

QUrl join(const QString& root, const QString& path) {
  return QUrl(root + (path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path));
}

}  // namespace

QUrl analyticsUrl(const QString& path) {
  return join(base("RAVELL_ANALYTICS_URL", RAVELL_DEFAULT_ANALYTICS_URL), path);
}

QUrl apiUrl(const QString& path) {
  return join(base("RAVELL_API_URL", RAVELL_DEFAULT_API_URL), path);
}

QUrl api3Url(const QString& path) {
  return join(base("RAVELL_API3_URL", RAVELL_DEFAULT_API3_URL), path);
}

QString analyticsHost() {
  return QUrl(base("RAVELL_ANALYTICS_URL", RAVELL_DEFAULT_ANALYTICS_URL)).authority();
}

QString extraCaFile() {
  const char* value = std::getenv("RAVELL_CA_FILE");
  return value ? QString::fromLocal8Bit(value) : QString();
}

}  // namespace vimbrel::rvlendpoints
