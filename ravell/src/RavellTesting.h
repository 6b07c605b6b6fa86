#pragma once

#include <chrono>

namespace vimbrel {

// Hooks for the framework's own tests: they let one process play several
// launches of the host and shorten the queue's 30-second interval. The product
// never calls them.
class RavellTesting {
 public:
  // Drops every shared instance (store, queue, SDK entry, secure layer), as if
  // the process had ended; the next use loads the files again.
  static void resetAll();
  // The queue timer's interval for queues created afterwards.
  static void setQueueInterval(std::chrono::milliseconds interval);
  // Requests of the framework that have not been answered yet.
  static int requestsInFlight();

 private:
  // Drops the SDK entry's shared instance (it lives in Ravell.cpp).
  static void resetRavell();
};

}  // namespace vimbrel
