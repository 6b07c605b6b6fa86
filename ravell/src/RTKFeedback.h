#pragma once

#include <QObject>
#include <QString>

namespace vimbrel {

class RTKPromptDelegate;
class RTKTransparentWindow;

// The feedback prompt: icon, message, the fields name, e-mail (filled with the
// subscribed address when known) and content, and "Send Feedback". Sending
// reports the three texts with the prompt's label ("general" without one).
// The controller belongs to its window.
class RTKFeedback : public QObject {
 public:
  // The window "RTKFeedbackWindow"; `delegate` may be null.
  static RTKTransparentWindow* createWindow(RTKPromptDelegate* delegate, const QString& label);

 private:
  RTKFeedback(RTKTransparentWindow* window, RTKPromptDelegate* delegate);
  void finished();

  RTKTransparentWindow* window_;
  RTKPromptDelegate* delegate_;
  bool sent_ = false;
};

}  // namespace vimbrel
