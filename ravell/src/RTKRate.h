#pragma once

#include <QObject>

namespace vimbrel {

class RTKPromptDelegate;
class RTKTransparentWindow;

// The rating prompt: icon, heading, message, five editable whole stars
// (starting at 5) and "Send Rating". Sending reports the stars, truncated to
// a whole number, to the vendor; the delegate hears of it once the window has
// closed. The controller belongs to its window.
class RTKRate : public QObject {
 public:
  // The window "RTKRateWindow"; `delegate` may be null.
  static RTKTransparentWindow* createWindow(RTKPromptDelegate* delegate);

 private:
  RTKRate(RTKTransparentWindow* window, RTKPromptDelegate* delegate);
  void finished();

  RTKTransparentWindow* window_;
  RTKPromptDelegate* delegate_;
  int stars_ = -1;
};

}  // namespace vimbrel
