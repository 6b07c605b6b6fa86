#pragma once

#include <QString>
#include <optional>

class QMessageBox;

namespace vimbrel {

// The e-mail subscription prompt: a standard alert ("Welcome to <app>!") with
// an address field, shown once ("RVLEmailPrompt"). A subscription the vendor
// has not acknowledged ("RVLSubscribed") is sent again at each later call.
class RTKEmail {
 public:
  static void presentEmailSubscribePromptWithMessage(const std::optional<QString>& message);
  // Remembers the address and sends it; "RVLSubscribed" once acknowledged.
  static void subscribeForUpdatesWithEmail(const QString& email);
  // The address, once the vendor has acknowledged it.
  static std::optional<QString> subscribedEmail();

  // The alert "EmailAlert" with its buttons "Join" and "Cancel" and the field
  // "email", not shown. Null without a QApplication.
  static QMessageBox* buildAlert(const std::optional<QString>& message);
};

}  // namespace vimbrel
