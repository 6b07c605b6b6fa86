#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FakeBundles.h"
#include "TempTree.h"

namespace vimbrel {
namespace {

using testing::TempTree;
using testing::writeBundle;

struct Outcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A small macOS-layout tree with one application, and a way to run the
// command-line front end on it with an empty settings folder of its own.
class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = tree_.folder("disk/Users/tester");
    applications_ = tree_.folder("disk/Applications");
    bundle_ = writeBundle(tree_, "disk/Applications/Tool.app",
                          {"com.example.Tool", "Tool", "Tool", std::nullopt});
    pref_ = tree_.file("disk/Users/tester/Library/Preferences/com.example.Tool.plist", "pref");
    cache_ = tree_.file("disk/Users/tester/Library/Caches/com.example.Tool/cache.db", "cache");
    tree_.folder("config");
  }

  Outcome run(std::vector<std::string> args, bool granted = true) const {
    if (granted) {
      args.insert(args.begin(), {"--home", home_, "--applications", applications_});
    }
    const std::string out = tree_.path("out.txt");
    const std::string err = tree_.path("err.txt");
    // Nothing buffered in this process may reach the child's output.
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
      setenv("XDG_CONFIG_HOME", tree_.path("config").c_str(), 1);
      freopen(out.c_str(), "w", stdout);
      freopen(err.c_str(), "w", stderr);
      std::vector<char*> argv{const_cast<char*>(VIMBREL_CLI_PATH)};
      for (auto& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      execv(VIMBREL_CLI_PATH, argv.data());
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out), readFile(err)};
  }

  bool exists(const std::string& path) const { return std::filesystem::exists(path); }

  TempTree tree_;
  std::string home_, applications_, bundle_, pref_, cache_;
};

TEST_F(CliTest, BadInputExitsTwoWithOneClearLineAndDeletesNothing) {
  struct Case {
    std::vector<std::string> args;
    bool granted;
    std::string says;
  };
  const std::vector<Case> cases = {
      {{}, true, "no command"},
      {{"frobnicate"}, true, "unknown command"},
      {{"scan"}, true, "needs an application"},
      {{"scan", tree_.path("disk/Missing.app")}, true, "no such file"},
      {{"remove", pref_, "--yes"}, true, "not an application bundle"},
      {{"remove", home_ + "/Library", "--yes"}, true, "not an application bundle"},
      {{"remove", "Nope", "--yes"}, true, "no installed application"},
      {{"remove", "Tool", "--yes"}, false, "no Applications folder"},
      {{"remove", bundle_, "--yes"}, false, "no home folder"},
      {{"--home", tree_.path("nowhere"), "scan", "Tool"}, true, "no such folder"},
      {{"remove", "Tool", "--keep", tree_.path("x"), "--yes"}, true, "not in the list"},
      {{"apps", "--json"}, true, "--json is for scan"},
  };
  for (const Case& c : cases) {
    Outcome outcome = run(c.args, c.granted);
    EXPECT_EQ(outcome.exitCode, 2) << c.says;
    EXPECT_NE(outcome.err.find(c.says), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err.rfind("vimbrel-cli: ", 0), 0u) << outcome.err;
  }
  EXPECT_TRUE(exists(bundle_));
  EXPECT_TRUE(exists(pref_));
}

TEST_F(CliTest, ScanPrintsGroupsAndJsonGivesTheSameInBytes) {
  Outcome text = run({"scan", "Tool"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_NE(text.out.find("Executables\n  Tool.app"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("Preferences\n  com.example.Tool.plist"), std::string::npos);
  EXPECT_NE(text.out.find("Support files\n  com.example.Tool"), std::string::npos);
  EXPECT_NE(text.out.find("Total: "), std::string::npos);

  Outcome json = run({"scan", bundle_, "--json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  EXPECT_EQ(json.out.front(), '{');
  EXPECT_NE(json.out.find("\"header\":\"Supportfiles\",\"label\":\"Support files\""),
            std::string::npos)
      << json.out;
  EXPECT_NE(json.out.find("\"path\":\"" + pref_ + "\",\"name\":\"com.example.Tool.plist\""),
            std::string::npos);
  EXPECT_NE(json.out.find("\"size\":4}"), std::string::npos);  // "pref"
  EXPECT_NE(json.out.find("\"bundle\":\"com.example.Tool\""), std::string::npos);
  EXPECT_NE(json.out.find("\"total\":"), std::string::npos);
  // Balanced brackets: one document.
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < json.out.size(); ++i) {
    char c = json.out[i];
    if (inString) {
      if (c == '\\') ++i;
      if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      --depth;
      EXPECT_GE(depth, 0);
    }
  }
  EXPECT_EQ(depth, 0);
}

TEST_F(CliTest, RemoveIsADryRunWithoutYesAndKeepsWhatItIsTold) {
  Outcome dry = run({"remove", "Tool"});
  EXPECT_EQ(dry.exitCode, 0) << dry.err;
  EXPECT_NE(dry.out.find("Would remove"), std::string::npos);
  EXPECT_TRUE(exists(bundle_));
  EXPECT_TRUE(exists(pref_));

  Outcome done = run({"remove", "Tool", "--keep", pref_, "--yes"});
  EXPECT_EQ(done.exitCode, 0) << done.err;
  EXPECT_FALSE(exists(bundle_));
  EXPECT_FALSE(exists(cache_));
  EXPECT_TRUE(exists(pref_));
  EXPECT_TRUE(exists(home_ + "/Library/Caches"));
}

TEST_F(CliTest, RemoveRefusesWhileTheApplicationRuns) {
  // A process whose executable lies inside the bundle counts as the application.
  std::fflush(nullptr);
  const std::string executable = bundle_ + "/Contents/MacOS/Tool";
  std::filesystem::copy_file("/bin/sleep", executable,
                             std::filesystem::copy_options::overwrite_existing);
  pid_t child = fork();
  if (child == 0) {
    execl(executable.c_str(), "Tool", "30", static_cast<char*>(nullptr));
    _exit(127);
  }
  // Wait until the process shows the bundle's executable.
  const std::string exe = "/proc/" + std::to_string(child) + "/exe";
  for (int i = 0; i < 200 && std::filesystem::read_symlink(exe).string() != executable; ++i) {
    usleep(10000);
  }
  Outcome refused = run({"remove", "Tool", "--yes"});
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("is running"), std::string::npos) << refused.err;
  EXPECT_TRUE(exists(bundle_));
  EXPECT_TRUE(exists(pref_));
}

}  // namespace
}  // namespace vimbrel
