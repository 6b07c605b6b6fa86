// What vimbrel-cli takes from its surroundings: the version it was built as,
// a whole-volume grant that brings its Applications folder, and settings
// folders given as relative paths, which are ignored out loud.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "FakeBundles.h"
#include "TempTree.h"

namespace vimbrel {
namespace {

using testing::TempTree;
using testing::writeBundle;
using Outcome = testing::CliOutcome;

// Sets an environment variable for the life of the object.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class CliEnvironmentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = tree_.folder("disk/Users/tester");
    tree_.folder("disk/Applications");
    writeBundle(tree_, "disk/Applications/Tool.app",
                {"com.example.Tool", "Tool", "Tool", std::nullopt});
    writeBundle(tree_, "other/Applications/Editor.app",
                {"com.example.Editor", "Editor", "Editor", std::nullopt});
    tree_.file("disk/Users/tester/Library/Preferences/com.example.Tool.plist", "pref");
    tree_.folder("config");
  }

  Outcome run(std::vector<std::string> args, const std::string& config) const {
    return testing::runCli(std::move(args), config, tree_.root());
  }
  Outcome run(std::vector<std::string> args) const {
    return run(std::move(args), tree_.path("config"));
  }

  TempTree tree_;
  std::string home_;
};

TEST_F(CliEnvironmentTest, HelpAndVersionNeedNoSettings) {
  const std::string nowhere = tree_.path("no/such/config");
  const Outcome version = run({"--version"}, nowhere);
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, std::string("vimbrel-cli ") + VIMBREL_VERSION + "\n");
  EXPECT_EQ(version.err, "");
  // Given after other options, they still answer alone.
  const Outcome help = run({"--home", home_, "scan", "Tool", "--help"}, nowhere);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("usage: vimbrel-cli", 0), 0u) << help.out;
  EXPECT_NE(help.out.find("--version"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(nowhere));
}

TEST_F(CliEnvironmentTest, AWholeVolumeBringsItsApplicationsFolderUnlessOneIsGranted) {
  const std::string disk = tree_.path("disk");
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string listed;     // in the output
    std::string notListed;  // not in the output
  };
  const std::vector<Case> cases = {
      // The volume's own Applications folder.
      {{"--root", disk, "apps"}, 0, "Tool", "Editor"},
      {{"--root", disk, "--home", home_, "scan", "Tool"}, 0, "com.example.Tool.plist", ""},
      // A granted Applications folder stays the one searched.
      {{"--root", disk, "--applications", tree_.path("other/Applications"), "apps"},
       0,
       "Editor",
       "Tool"},
      // A volume without one grants none.
      {{"--root", tree_.path("other/Applications"), "apps"}, 2, "", "Editor"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = run(c.args);
    EXPECT_EQ(outcome.exitCode, c.exitCode) << c.args.back() << ": " << outcome.err;
    if (!c.listed.empty()) {
      EXPECT_NE(outcome.out.find(c.listed), std::string::npos) << outcome.out;
    }
    if (!c.notListed.empty()) {
      EXPECT_EQ(outcome.out.find(c.notListed), std::string::npos) << outcome.out;
    }
  }
  // Grants for one run are not stored.
  EXPECT_FALSE(
      std::filesystem::exists(tree_.path("config/vimbrel/com.Orvik.Seltan.Vimbrel.plist")));
}

TEST_F(CliEnvironmentTest, RelativeSettingsFoldersAreIgnoredWithOneLineEach) {
  // The home folder stands in for the user's, where the defaults lie.
  const ScopedVariable home("HOME", tree_.path("userhome"));
  const ScopedVariable data("XDG_DATA_HOME", "relative/data");
  const Outcome outcome =
      run({"--home", home_, "--applications", tree_.path("disk/Applications"), "scan", "Tool"},
          "relative/config");
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  for (const char* variable : {"XDG_CONFIG_HOME=relative/config", "XDG_DATA_HOME=relative/data"}) {
    const std::string line = std::string("ignoring ") + variable;
    const std::size_t first = outcome.err.find(line);
    EXPECT_NE(first, std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err.find(line, first + 1), std::string::npos) << "said twice";
  }
  EXPECT_NE(outcome.err.find(tree_.path("userhome") + "/.config"), std::string::npos)
      << outcome.err;

  // Absolute folders are used without a word.
  const ScopedVariable absoluteData("XDG_DATA_HOME", tree_.path("data"));
  const Outcome quiet =
      run({"--home", home_, "--applications", tree_.path("disk/Applications"), "scan", "Tool"});
  EXPECT_EQ(quiet.exitCode, 0);
  EXPECT_EQ(quiet.err.find("ignoring"), std::string::npos) << quiet.err;
}

}  // namespace
}  // namespace vimbrel
