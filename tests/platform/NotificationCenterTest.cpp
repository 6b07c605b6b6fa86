#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/NotificationCenter.h"

namespace vimbrel {
namespace {

TEST(NotificationCenterTest, DeliversToObserversOfTheNameInRegistrationOrder) {
  NotificationCenter center;
  std::vector<std::string> calls;
  int a = 0, b = 0;
  center.addObserver(&a, "home_view_controller", [&] { calls.push_back("a"); });
  center.addObserver(&b, "home_view_controller", [&] { calls.push_back("b"); });
  center.addObserver(&b, "close_rate_app", [&] { calls.push_back("close"); });
  center.post("home_view_controller");
  EXPECT_EQ(calls, (std::vector<std::string>{"a", "b"}));
  center.post("nobody_listens");
  EXPECT_EQ(calls.size(), 2u);
}

TEST(NotificationCenterTest, AnObserverRemovedDuringAPostIsNotCalled) {
  // A page swap replaces the page whose observer would run next.
  NotificationCenter center;
  int swapper = 0, page = 0;
  bool pageCalled = false;
  center.addObserver(&swapper, "x", [&] { center.removeObserver(&page); });
  center.addObserver(&page, "x", [&] { pageCalled = true; });
  center.post("x");
  EXPECT_FALSE(pageCalled);
  EXPECT_EQ(center.observerCount("x"), 1u);
}

TEST(NotificationCenterTest, ObserversMayPostAndRegisterWhileBeingCalled) {
  NotificationCenter center;
  int owner = 0;
  int inner = 0;
  center.addObserver(&owner, "outer", [&] {
    center.addObserver(&owner, "outer", [&] { ++inner; });  // not part of this post
    center.post("inner");
  });
  center.addObserver(&owner, "inner", [&] { ++inner; });
  center.post("outer");
  EXPECT_EQ(inner, 1);
  center.removeObserver(&owner);
  EXPECT_EQ(center.observerCount("outer"), 0u);
}

TEST(NotificationCenterTest, PageNamesAreDistinct) {
  std::set<std::string> names(notifications::kPageNotifications.begin(),
                              notifications::kPageNotifications.end());
  names.insert(notifications::kCloseRateApp);
  EXPECT_EQ(names.size(), 9u);
}

}  // namespace
}  // namespace vimbrel
