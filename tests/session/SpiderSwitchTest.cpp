#include <fstream>

#include "SessionFixture.h"
#include "app/SpiderPreferences.h"
#include "engine/SettingsKeys.h"

namespace vimbrel {
namespace {

using testing::eventually;

// The Spider page with the real login item: the switch writes and removes
// the autostart entry, and starts and stops the agent.
class SpiderSwitchTest : public testing::SessionFixture {};

TEST_F(SpiderSwitchTest, TheSpiderSwitchStartsAndStopsTheAgent) {
  auto app = openPlistSettingsStore(tree_.path("config/vimbrel"), domains::kApplication);
  auto shared = openPlistSettingsStore(tree_.path("config/vimbrel"), domains::kShared);
  XdgLoginItem loginItem(agent(), autostart());
  std::vector<std::string> logged;
  SpiderPreferences page(*app, *shared, loginItem,
                         [&](const std::string& line) { logged.push_back(line); });
  page.onLoad();

  page.EnableSpider(true);
  EXPECT_TRUE(std::filesystem::exists(entry()));
  EXPECT_TRUE(eventually([&] { return agentRuns(); }));
  page.EnableSpider(false);
  EXPECT_FALSE(std::filesystem::exists(entry()));
  EXPECT_TRUE(eventually([&] { return agentStopped(); }));
  EXPECT_TRUE(logged.empty());

  // Without an agent program the entry still names it; the failure is
  // logged and the stored switch follows the user.
  std::filesystem::remove(program_);
  page.EnableSpider(true);
  EXPECT_TRUE(std::filesystem::exists(entry()));
  EXPECT_EQ(logged.size(), 1u);
  EXPECT_EQ(app->integer(keys::kEnableSpider), 1);
}

}  // namespace
}  // namespace vimbrel
