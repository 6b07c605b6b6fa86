#include "RavellTesting.h"

#include "RAKQueue.h"
#include "RVLDataStore.h"
#include "RVLDataStoreSecure.h"
#include "RVLHttp.h"
#include "Ravell.h"

namespace vimbrel {

void RavellTesting::resetAll() {
  resetRavell();
  RAKQueue::resetSharedInstanceForTesting();
  RVLDataStoreSecure::resetForTesting();
  RVLDataStore::resetSharedInstanceForTesting();
}

void RavellTesting::setQueueInterval(std::chrono::milliseconds interval) {
  RAKQueue::setIntervalForTesting(interval);
}

int RavellTesting::requestsInFlight() { return rvlhttp::inFlight(); }

}  // namespace vimbrel
