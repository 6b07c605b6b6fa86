#include "RTKRequests.h"

#include <QObject>

#include "RTKEmail.h"
#include "RVLJson.h"
#include "RVLLog.h"
#include "RVLUtilities.h"

namespace vimbrel::rtkrequests {
namespace {

// Lives as long as the process: prompt answers may arrive after their window.
QObject* context() {
  static QObject* object = new QObject();
  return object;
}

// Calls `handle` with the parsed answer; nothing for a transport failure.
void send(const QString& method, const QVariantMap& parameters,
          std::function<void(const QVariantMap&)> handle) {
  const RVLRequest request = RVLUtilities::v3APIRequestWithParameters(parameters, method);
  rvlhttp::post(request, context(), [handle = std::move(handle)](const RVLResponse& response) {
    if (!response.transportOk) return;
    const QVariant answer = rvljson::parse(response.body);
    if (!answer.isValid()) {
      rvllog::warning(
          QStringLiteral("JSON parse error: %1").arg(QString::fromUtf8(response.body.left(200))));
      return;
    }
    handle(answer.toMap());
  });
}

QVariantMap withKnownEmail(QVariantMap parameters) {
  if (const auto email = RTKEmail::subscribedEmail()) {
    parameters.insert(QStringLiteral("email"), *email);
  }
  return parameters;
}

}  // namespace

void sendHappiness(int value) {
  send(QStringLiteral("lumora/happiness"), withKnownEmail({{QStringLiteral("happiness"), value}}),
       [](const QVariantMap&) {});
}

void sendRating(int stars) {
  send(QStringLiteral("lumora/rating"), withKnownEmail({{QStringLiteral("rating"), stars}}),
       [](const QVariantMap&) {});
}

void sendFeedback(const QString& label, const QString& name, const QString& email,
                  const QString& content) {
  const QVariantMap parameters{
      {QStringLiteral("label"), label.isEmpty() ? QStringLiteral("general") : label},
      {QStringLiteral("name"), name},
      {QStringLiteral("email"), email},
      {QStringLiteral("content"), content}};
  send(QStringLiteral("lumora/feedback"), parameters, [](const QVariantMap& answer) {
    if (answer.contains(QStringLiteral("success"))) {
      rvllog::info(QStringLiteral("finished feedback"));
      return;
    }
    const QString message =
        answer.value(QStringLiteral("error")).toMap().value(QStringLiteral("message")).toString();
    rvllog::warning(message.isEmpty() ? QStringLiteral("Undefined error") : message);
  });
}

void sendEmail(const QString& email, std::function<void()> subscribed) {
  send(QStringLiteral("lumora/email"), {{QStringLiteral("email"), email}},
       [subscribed = std::move(subscribed)](const QVariantMap& answer) {
         if (answer.contains(QStringLiteral("success"))) subscribed();
       });
}

}  // namespace vimbrel::rtkrequests
