#pragma once

#include "platform/Status.h"

namespace vimbrel {

// A helper program registered to start when the user logs in.
// Thread-safety: call from one thread at a time.
class LoginItem {
 public:
  virtual ~LoginItem() = default;
  // true: registers the program to start at every login and starts it now.
  // false: unregisters it and stops the instance that runs now.
  // A failure is returned, and whatever could be done is done: the
  // registration is written or removed even when starting or stopping fails.
  virtual Status setEnabled(bool enabled) = 0;
  // True while the program is registered to start at login.
  virtual bool isEnabled() const = 0;
};

}  // namespace vimbrel
