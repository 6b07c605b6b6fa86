#include <gtest/gtest.h>

#include "../cli/CliRunner.h"
#include "TempTree.h"
#include "engine/SettingsKeys.h"
#include "platform/Grant.h"
#include "platform/SettingsStore.h"
#include "platform/User.h"

namespace vimbrel {
namespace {

using testing::TempTree;

class GrantCommandsTest : public ::testing::Test {
 protected:
  testing::CliOutcome cli(std::vector<std::string> args) {
    return testing::runCli(std::move(args), config_, tree_.root());
  }
  std::unique_ptr<SettingsStore> store(const char* domain) {
    return openPlistSettingsStore(config_ + "/vimbrel", domain);
  }

  TempTree tree_;
  std::string config_ = tree_.folder("config");
  std::string home_ = tree_.folder("Users/" + userLoginName());
  std::string applications_ = tree_.folder("Applications");
};

TEST_F(GrantCommandsTest, StoresGrantsInTheChosenProgramsStoreAsTheWindowsDo) {
  EXPECT_EQ(cli({"grant", "home", home_, "--agent"}).exitCode, 0);
  EXPECT_EQ(cli({"grant", "applications", applications_ + "/", "--agent"}).exitCode, 0);
  const auto root = cli({"grant", "root", tree_.root(), "--agent"});
  EXPECT_EQ(root.exitCode, 0);
  EXPECT_NE(root.out.find("not the root folder"), std::string::npos) << root.out;

  auto agent = store(domains::kAgent);
  EXPECT_EQ(resolve_grant(*agent, keys::kHomeAccess).location, home_);
  EXPECT_EQ(resolve_grant(*agent, keys::kApplications).location, applications_);
  EXPECT_EQ(resolve_grant(*agent, keys::kMacOS).location, tree_.root());
  EXPECT_EQ(agent->integer(keys::kAllowAny), 1);
  // The application's own store is left alone, and it has its own key for home.
  auto application = store(domains::kApplication);
  EXPECT_FALSE(application->blob(keys::kHome));
  EXPECT_FALSE(application->blob(keys::kHomeAccess));

  EXPECT_EQ(cli({"grant", "home", home_}).exitCode, 0);
  EXPECT_EQ(resolve_grant(*store(domains::kApplication), keys::kHome).location, home_);
  EXPECT_FALSE(store(domains::kAgent)->blob(keys::kHome));
}

TEST_F(GrantCommandsTest, GrantsTellWhatIsValid) {
  const auto none = cli({"grants", "--agent"});
  EXPECT_EQ(none.exitCode, 0);
  EXPECT_NE(none.out.find("home: not granted"), std::string::npos) << none.out;

  // Another folder is stored as the windows store it, but does not count.
  const auto wrong = cli({"grant", "applications", tree_.folder("Apps"), "--agent"});
  EXPECT_EQ(wrong.exitCode, 0);
  EXPECT_NE(wrong.out.find("not valid"), std::string::npos) << wrong.out;
  cli({"grant", "home", home_, "--agent"});
  const auto listed = cli({"grants", "--agent"});
  EXPECT_NE(listed.out.find("home: " + home_ + "  valid"), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("applications: " + tree_.path("Apps") + "  not valid"),
            std::string::npos)
      << listed.out;
  EXPECT_NE(listed.out.find("root: not granted"), std::string::npos) << listed.out;
}

TEST_F(GrantCommandsTest, AMountedMacHomeCountsAsTheHomeFolder) {
  const std::string mac = tree_.folder("Volumes/Mac/Users/anna");
  const std::string bare = tree_.folder("Volumes/Mac/Users/nolibrary");
  tree_.folder("Volumes/Mac/Users/anna/Library");
  const auto granted = cli({"grant", "home", mac, "--agent"});
  EXPECT_NE(granted.out.find("home: " + mac + "  valid"), std::string::npos) << granted.out;
  const auto refused = cli({"grant", "home", bare});
  EXPECT_NE(refused.out.find("not valid: the folder must be called"), std::string::npos)
      << refused.out;
  EXPECT_NE(refused.out.find("hold a \"Library\" folder"), std::string::npos) << refused.out;
}

TEST_F(GrantCommandsTest, BadInputChangesNothing) {
  EXPECT_EQ(cli({"grant", "home"}).exitCode, 2);
  EXPECT_EQ(cli({"grant", "desktop", home_}).exitCode, 2);
  EXPECT_EQ(cli({"grant", "home", tree_.path("missing"), "--agent"}).exitCode, 2);
  EXPECT_EQ(cli({"grants", "--bogus"}).exitCode, 2);
  EXPECT_FALSE(store(domains::kAgent)->blob(keys::kHomeAccess));
}

}  // namespace
}  // namespace vimbrel
