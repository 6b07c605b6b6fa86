#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>
#include <functional>

namespace vimbrel {

// A POST request as the framework builds it.
struct RVLRequest {
  QUrl url;
  QByteArray body;
  QList<QPair<QByteArray, QByteArray>> headers;
  int timeoutMs = 30000;
};

// The outcome of one request. `transportOk` is false when no HTTP answer came
// (refused connection, TLS failure, time-out, a non-https address); otherwise
// `status` and `body` hold the answer, whatever its status.
struct RVLResponse {
  bool transportOk = false;
  int status = 0;
  QByteArray body;
  QString error;
};

// HTTPS client on the Qt main loop: answers arrive on the thread that owns the
// network manager (the main thread). Nothing is ever sent in the clear.
namespace rvlhttp {

using Completion = std::function<void(const RVLResponse&)>;

// Sends `request`; `completion` runs once unless `context` is destroyed first.
void post(const RVLRequest& request, QObject* context, Completion completion);

// Requests started and not yet answered.
int inFlight();

}  // namespace rvlhttp
}  // namespace vimbrel
