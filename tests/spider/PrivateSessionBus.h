#pragma once

#include <sys/types.h>
#include <string>

namespace vimbrel::testing {

// A session bus of the test's own: a dbus-daemon started with
// --session --print-address, stopped when the object goes away. Its address
// goes into DBUS_SESSION_BUS_ADDRESS, so every connection of the process and
// of the programs it starts meets there, never on the desktop's bus.
class PrivateSessionBus {
 public:
  PrivateSessionBus();
  ~PrivateSessionBus();
  PrivateSessionBus(const PrivateSessionBus&) = delete;
  PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

  // Empty when the daemon could not be started.
  const std::string& address() const { return address_; }

 private:
  pid_t pid_ = -1;
  std::string address_;
};

}  // namespace vimbrel::testing
