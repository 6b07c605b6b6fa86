#pragma once

#include <QString>
#include <QVariantMap>

#include "ravell/RavellExport.h"

namespace vimbrel {

// The analytics calls a host application can make. Every event passes the
// user's opt-in: while the user was never asked, the user counts as opted in.
//
// track, identify and payment may be called from any thread. A prompt waiting
// for an event ("next <event>", see RavellToolKit) is a window, so it is shown
// on the main thread: at once when the event is recorded there, from the main
// loop's next turn when it is recorded on another thread. The other calls,
// which may show the opt-in dialog, belong to the main thread.
class RAVELL_EXPORT RavellAnalyticsKit {
 public:
  // Fetches the remote configuration (which activates analytics and brings the
  // write key). Each call performs one more fetch.
  static void startTracking();

  // Records the custom event "RSDK.Custom.<name>"; names beginning with "RSDK"
  // are refused.
  static void track(const QString& name, const QVariantMap& properties = {});
  // Sets the user identity that events carry as their actor from now on.
  static void identify(const QString& userIdentifier);

  enum class Store { Ravell = 0, AppStoreIos = 1, AppStoreMac = 2, Other = 3 };
  // Records "RSDK.Payment"; a currency code of 4 or more characters, or an
  // unknown store code, is refused.
  static void payment(double amount, const QString& currency, const QString& product, int store);

  static void disableTracking();
  static void enableTracking();
  // Asks the user when the question was never answered.
  static void enableOptin();
  static bool isOptedIn();
  static void presentOptinDialog();
};

}  // namespace vimbrel
