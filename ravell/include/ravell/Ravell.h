#pragma once

#include <QString>

#include "ravell/RavellExport.h"

namespace vimbrel {

// The framework's front door. The host gives it its product identifier, vendor
// identifier and API key at every launch; once all three are known, tracking
// starts: the remote configuration is fetched and the install, launch and
// update events are recorded. Runs on the main thread.
//
// The host's version is QCoreApplication::applicationVersion(); its build and
// bundle identifier are the application object's properties "bundleVersion"
// and "bundleIdentifier". Files go to $XDG_DATA_HOME/<executable name>/.
class RAVELL_EXPORT Ravell {
 public:
  static Ravell& sharedInstance();

  void setProductId(const QString& productId);
  void setVendorId(const QString& vendorId);
  void setApiKey(const QString& apiKey);

  // The start-up sequence; does nothing until all three keys are set, and
  // runs once per process.
  void setupAfterAllKeys();

  bool hasTrackingStarted() const { return hasTrackingStarted_; }
  void setHasTrackingStarted(bool started) { hasTrackingStarted_ = started; }

 private:
  friend class RavellTesting;
  Ravell() = default;

  bool hasTrackingStarted_ = false;
};

}  // namespace vimbrel
