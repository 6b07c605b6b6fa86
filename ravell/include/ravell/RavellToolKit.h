#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "ravell/RavellExport.h"

class QWidget;

namespace vimbrel {

// Told when the user answered a prompt: "happiness" with 1 (happy), 2
// (neutral) or 3 (sad), "rating" with the stars.
class RAVELL_EXPORT RavellToolKitDelegate {
 public:
  virtual ~RavellToolKitDelegate() = default;
  virtual void RTKToolSubmitted(const QString& tool, int value) = 0;
};

// The framework's user prompts: happiness, rating, feedback, e-mail
// subscription and thank-you. Each is shown modally (the call returns when it
// closes) on the main thread of a QApplication, records its display, answer
// and dismissal as analytics events, reports answers to the vendor and is
// remembered as used.
//
// A schedule ("3 launches", "7 days", "next Launch", ...) says when a prompt
// may appear; a prompt with a schedule is shown once at most. Without a
// schedule it is shown now. Nothing is shown until the host has given its
// product, vendor and API keys to Ravell.
class RAVELL_EXPORT RavellToolKit {
 public:
  static RavellToolKit& sharedInstance();

  void presentHappinessViewWithSchedule(const std::optional<QString>& schedule,
                                        const std::optional<QString>& message);
  void presentRatingViewWithSchedule(const std::optional<QString>& schedule,
                                     const std::optional<QString>& message);
  // `label` tells the vendor where the feedback came from ("general" without).
  void presentFeedbackViewWithSchedule(const std::optional<QString>& schedule,
                                       const std::optional<QString>& message,
                                       const std::optional<QString>& label);
  void presentEmailSubscribePromptWithSchedule(const std::optional<QString>& schedule,
                                               const std::optional<QString>& message);
  void presentThanksView();
  // Opens the store page of the application `appId`; the schedule is ignored.
  void presentAppStoreRatingWithSchedule(const std::optional<QString>& schedule,
                                         const QString& appId);

  bool isSetupAfterAllKeys() const;
  bool isPromptUsed(const QString& flagKey) const;

  // Not owned; may be null.
  void setDelegate(RavellToolKitDelegate* delegate) { delegate_ = delegate; }
  RavellToolKitDelegate* delegate() const { return delegate_; }

  // Builds the window of one prompt, by its name ("RTKHappinessWindow",
  // "RTKRateWindow", "RTKFeedbackWindow", "RTKThanksWindow", "EmailAlert"),
  // with its default texts, without showing it and without any gate, event or
  // flag. Its buttons work as in the product. The caller owns the window;
  // null for an unknown name or without a QApplication.
  QWidget* buildPromptWindow(const QString& windowName);

  ~RavellToolKit();
  RavellToolKit(const RavellToolKit&) = delete;
  RavellToolKit& operator=(const RavellToolKit&) = delete;

 private:
  friend class RTKToolKitBridge;
  RavellToolKit();

  RavellToolKitDelegate* delegate_ = nullptr;
  std::unique_ptr<class RTKToolKitBridge> bridge_;
};

}  // namespace vimbrel
