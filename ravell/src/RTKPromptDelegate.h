#pragma once

namespace vimbrel {

// What the prompt windows tell the toolkit once the user has acted; each call
// comes after its window has closed.
class RTKPromptDelegate {
 public:
  virtual ~RTKPromptDelegate() = default;
  virtual void happinessFinished(int value) = 0;
  virtual void happinessClosed() = 0;
  virtual void ratingFinished(int value) = 0;
  virtual void ratingClosed() = 0;
  virtual void feedbackFinished() = 0;
  virtual void feedbackClosed() = 0;
  virtual void emailFinished() = 0;
  virtual void emailClosed() = 0;
  virtual void thanksFeedback() = 0;
  virtual void thanksClosed() = 0;
  virtual void closeGeneralModal() {}
};

}  // namespace vimbrel
