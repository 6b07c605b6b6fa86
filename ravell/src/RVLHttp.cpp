#include "RVLHttp.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTimer>
#include <atomic>

#include "RVLEndpoints.h"

namespace vimbrel::rvlhttp {
namespace {

std::atomic<int> pending{0};

// One manager for the process, owned by the application object so that it goes
// away with the main loop.
QNetworkAccessManager* manager() {
  static QPointer<QNetworkAccessManager> instance;
  if (!instance && QCoreApplication::instance()) {
    instance = new QNetworkAccessManager(QCoreApplication::instance());
  }
  return instance;
}

QSslConfiguration tlsConfiguration() {
  QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
  const QString caFile = rvlendpoints::extraCaFile();
  if (!caFile.isEmpty()) {
    configuration.addCaCertificates(QSslCertificate::fromPath(caFile, QSsl::Pem));
  }
  return configuration;
}

void failLater(QObject* context, const QString& error, const Completion& completion) {
  ++pending;
  QTimer::singleShot(0, [guard = QPointer<QObject>(context), completion, error] {
    --pending;
    if (!guard) return;
    RVLResponse response;
    response.error = error;
    completion(response);
  });
}

}  // namespace

void post(const RVLRequest& request, QObject* context, Completion completion) {
  if (request.url.scheme() != QLatin1String("https")) {
    failLater(
        context,
        QStringLiteral("Refusing to send to a non-https address: %1").arg(request.url.toString()),
        completion);
    return;
  }
  QNetworkAccessManager* network = manager();
  if (!network) {
    failLater(context, QStringLiteral("No main loop for network requests"), completion);
    return;
  }
  QNetworkRequest networkRequest(request.url);
  networkRequest.setTransferTimeout(request.timeoutMs);
  networkRequest.setSslConfiguration(tlsConfiguration());
  networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                              QNetworkRequest::ManualRedirectPolicy);
  for (const auto& [name, value] : request.headers) networkRequest.setRawHeader(name, value);
  if (!networkRequest.hasRawHeader("Content-Type")) {
    // Qt would otherwise guess the same value and warn about it.
    networkRequest.setHeader(QNetworkRequest::ContentTypeHeader,
                             QByteArrayLiteral("application/x-www-form-urlencoded"));
  }
  ++pending;
  QNetworkReply* reply = network->post(networkRequest, request.body);
  QObject::connect(reply, &QNetworkReply::finished, reply, [reply] {
    --pending;
    reply->deleteLater();
  });
  QObject::connect(reply, &QNetworkReply::finished, context, [reply, completion] {
    RVLResponse response;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    response.transportOk = status.isValid();
    response.status = status.toInt();
    response.body = reply->readAll();
    if (reply->error() != QNetworkReply::NoError) response.error = reply->errorString();
    completion(response);
  });
}

int inFlight() { return pending.load(); }

}  // namespace vimbrel::rvlhttp
