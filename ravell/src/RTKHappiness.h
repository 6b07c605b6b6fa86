#pragma once

#include <QObject>

namespace vimbrel {

class RTKPromptDelegate;
class RTKTransparentWindow;

// The happiness prompt: the application icon, the handed-over title and
// message, three answers (happy 1, neutral 2, sad 3) and a close button. An
// answer is sent to the vendor; the delegate hears of it once the window has
// closed. The controller belongs to its window.
class RTKHappiness : public QObject {
 public:
  // The window "RTKHappinessWindow"; `delegate` may be null.
  static RTKTransparentWindow* createWindow(RTKPromptDelegate* delegate);

 private:
  RTKHappiness(RTKTransparentWindow* window, RTKPromptDelegate* delegate);
  void finished();

  RTKTransparentWindow* window_;
  RTKPromptDelegate* delegate_;
  int answer_ = 0;
};

}  // namespace vimbrel
