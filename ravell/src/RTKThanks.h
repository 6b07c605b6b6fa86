#pragma once

#include <QObject>

namespace vimbrel {

class RTKPromptDelegate;
class RTKTransparentWindow;

// The thank-you prompt shown after a rating: icon, "Send Feedback" (yes),
// "No Thanks!" (no) and a close button. The delegate hears the choice once
// the window has closed. The controller belongs to its window.
class RTKThanks : public QObject {
 public:
  // The window "RTKThanksWindow"; `delegate` may be null.
  static RTKTransparentWindow* createWindow(RTKPromptDelegate* delegate);

 private:
  RTKThanks(RTKTransparentWindow* window, RTKPromptDelegate* delegate);
  void finished();

  RTKTransparentWindow* window_;
  RTKPromptDelegate* delegate_;
  bool wantsFeedback_ = false;
};

}  // namespace vimbrel
