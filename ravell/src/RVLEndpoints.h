#pragma once

#include <QString>
#include <QUrl>

namespace vimbrel {

// Addresses of the vendor's services: build-time defaults that the environment
// overrides ($RAVELL_ANALYTICS_URL, $RAVELL_API_URL, $RAVELL_API3_URL), and an
// extra trusted CA file ($RAVELL_CA_FILE) for test servers. Read at every use.
namespace rvlendpoints {

QUrl analyticsUrl(const QString& path);
QUrl apiUrl(const QString& path);
QUrl api3Url(const QString& path);
// The analytics service's host (with its port when it is not the default),
// which the analytics requests also send as their "Host" header.
QString analyticsHost();
// The extra CA file, empty when none is set.
QString extraCaFile();

}  // namespace rvlendpoints
}  // namespace vimbrel
