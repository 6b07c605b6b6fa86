#pragma once

#include <cstdlib>
#include <memory>

#include "RAKQueue.h"
#include "RavellTestSupport.h"
#include "VendorServer.h"

namespace vimbrel::testing {

// One stand-in vendor server for the whole test program (its certificate is
// made once); each test starts with the default behaviour and no requests.
inline vendor::VendorServer& sharedVendorServer() {
  static std::unique_ptr<vendor::VendorServer> server = [] {
    auto created = std::make_unique<vendor::VendorServer>(vendor::ServerOptions{});
    const std::string error = created->start();
    if (!error.empty()) ADD_FAILURE() << "vendor server: " << error;
    return created;
  }();
  return *server;
}

// A framework talking to the stand-in server over HTTPS on loopback. The queue
// timer is slowed down so that the tests run every pass themselves.
class VendorTest : public RavellTest {
 protected:
  void SetUp() override {
    vendor::VendorServer& server = sharedVendorServer();
    server.setBehaviour(vendor::Behaviour{});
    server.clearRequests();
    const std::string base = server.baseUrl();
    setenv("RAVELL_ANALYTICS_URL", base.c_str(), 1);
    setenv("RAVELL_API_URL", base.c_str(), 1);
    setenv("RAVELL_API3_URL", base.c_str(), 1);
    setenv("RAVELL_CA_FILE", server.certificateFile().c_str(), 1);
    RavellTesting::setQueueInterval(std::chrono::hours(1));
    RavellTest::SetUp();
  }

  void TearDown() override {
    EXPECT_TRUE(waitForNetwork());
    RavellTest::TearDown();
  }

  // Waits until every request of the framework has been answered.
  static bool waitForNetwork() {
    return waitUntil([] { return RavellTesting::requestsInFlight() == 0; });
  }

  // Runs one sending pass and waits for its answers.
  static void pass() {
    RAKQueue::sharedInstance().processQueue();
    ASSERT_TRUE(waitForNetwork());
  }

  static vendor::VendorServer& server() { return sharedVendorServer(); }

  static void changeBehaviour(const std::function<void(vendor::Behaviour&)>& change) {
    vendor::Behaviour behaviour = server().behaviour();
    change(behaviour);
    server().setBehaviour(behaviour);
  }
};

}  // namespace vimbrel::testing
