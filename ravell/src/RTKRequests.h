#pragma once

#include <QString>
#include <functional>

namespace vimbrel {

// The prompt answers sent to the vendor API ("lumora/..." of the plain request
// family), asynchronously; answers are handled on the main loop. A transport
// failure is ignored; a body that is not JSON is logged.
namespace rtkrequests {

void sendHappiness(int value);
void sendRating(int stars);
void sendFeedback(const QString& label, const QString& name, const QString& email,
                  const QString& content);
// `subscribed` runs when the answer says "success".
void sendEmail(const QString& email, std::function<void()> subscribed);

}  // namespace rtkrequests
}  // namespace vimbrel
