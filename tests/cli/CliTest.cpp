#include <gtest/gtest.h>

#include <filesystem>
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
    return testing::runCli(std::move(args), tree_.path("config"), tree_.root());
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
      {{"apps", "--why"}, true, "--why is for scan and remove"},
      {{"scan", "Tool", "--include-claimed"}, true, "--include-claimed is for remove"},
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
  EXPECT_NE(json.out.find("\"size\":4,\"claimed_by\":[],\"matched\":{\"step\":2,"),
            std::string::npos);  // "pref"
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

TEST_F(CliTest, TotalsCountAFolderAndTheEntriesListedInsideItOnce) {
  tree_.fileOfSize("disk/Users/tester/Library/Logs/Tool/Tool.log", 1000000);
  tree_.fileOfSize("disk/Users/tester/Library/Logs/Tool/other.log", 500);
  const std::uint64_t expected =
      std::filesystem::file_size(bundle_ + "/Contents/Info.plist") + 6 + 4 + 5 + 1000500;
  Outcome json = run({"scan", "Tool", "--json"});
  EXPECT_NE(json.out.find("\"size\":1000000,"), std::string::npos) << json.out;  // its own
  EXPECT_NE(json.out.find("\"total\":" + std::to_string(expected) + "}"), std::string::npos)
      << json.out;
  Outcome text = run({"remove", "Tool", "--yes"});
  EXPECT_EQ(text.exitCode, 0) << text.err;
  // Counted twice, the log would make it 2 MB.
  EXPECT_NE(text.out.find("Removed Tool: 1 MB\n"), std::string::npos) << text.out;
}

// Tool Pro is installed beside Tool: its folders in Application Support and
// Logs, whatever lies in them, are Tool Pro's.
class CliClaimTest : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    writeBundle(tree_, "disk/Applications/Tool Pro.app",
                {"com.example.ToolPro", "Tool Pro", "ToolPro", std::nullopt});
    pro_ = tree_.fileOfSize("disk/Users/tester/Library/Application Support/Tool Pro/Tool.db", 7000);
    proLog_ = tree_.fileOfSize("disk/Users/tester/Library/Logs/Tool Pro/Tool.log", 300);
    ownLog_ = tree_.fileOfSize("disk/Users/tester/Library/Logs/Tool/Tool.log", 200);
  }
  std::string pro_, proLog_, ownLog_;
};

TEST_F(CliClaimTest, ScanMarksClaimsAndCountsEachByteOnce) {
  Outcome json = run({"scan", "Tool", "--json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const std::string proFolder = home_ + "/Library/Application Support/Tool Pro";
  EXPECT_NE(json.out.find("\"path\":\"" + proFolder + "\""), std::string::npos) << json.out;
  EXPECT_NE(
      json.out.find("\"claimed_by\":[\"Tool Pro\"],\"matched\":{\"step\":4,\"folder\":\"" + home_ +
                    "/Library/Application Support\",\"value\":\"CFBundleName\","
                    "\"text\":\"Tool\",\"test\":\"contains\",\"decision\":{\"kind\":\"claimed\","
                    "\"component\":\"Tool Pro\",\"strength\":\"contains\",\"value\":\"Tool\","
                    "\"others\":[{\"label\":\"Tool Pro\",\"strength\":\"equals\","
                    "\"value\":\"Tool Pro\"}]}}"),
      std::string::npos)
      << json.out;
  // The log folder and the log inside it are listed both; the total counts
  // the folder's own log once and nothing kept: "pref", "cache" and Tool.log,
  // plus the bundle.
  const std::uint64_t bundle = std::filesystem::file_size(bundle_ + "/Contents/Info.plist") + 6;
  EXPECT_NE(json.out.find("\"total\":" + std::to_string(bundle + 4 + 5 + 200) + "}"),
            std::string::npos)
      << json.out;

  Outcome text = run({"scan", "Tool", "--why"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_NE(text.out.find("kept: Also used by Tool Pro"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("step 2, bundle identifier com.example.Tool (contains)"),
            std::string::npos);
  EXPECT_NE(text.out.find("(4 kept for other applications)"), std::string::npos) << text.out;
  EXPECT_EQ(run({"scan", "Tool"}).out.find("step 2,"), std::string::npos);
}

TEST_F(CliClaimTest, RemoveKeepsClaimedLocationsUnlessTold) {
  Outcome done = run({"remove", "Tool", "--yes"});
  EXPECT_EQ(done.exitCode, 0) << done.err << done.out;
  EXPECT_EQ(done.out.find("Could not remove"), std::string::npos) << done.out;
  EXPECT_FALSE(exists(bundle_));
  EXPECT_FALSE(exists(ownLog_));
  EXPECT_TRUE(exists(pro_));
  EXPECT_TRUE(exists(proLog_));

  // One kept location named: that one goes (with what lies in it), the rest stays.
  bundle_ = writeBundle(tree_, "disk/Applications/Tool.app",
                        {"com.example.Tool", "Tool", "Tool", std::nullopt});
  const std::string proLogs = home_ + "/Library/Logs/Tool Pro";
  Outcome wrong = run({"remove", "Tool", "--include-claimed", bundle_, "--yes"});
  EXPECT_EQ(wrong.exitCode, 2);
  EXPECT_NE(wrong.err.find("is not a kept entry"), std::string::npos) << wrong.err;
  EXPECT_TRUE(exists(bundle_));
  Outcome one = run({"remove", "Tool", "--include-claimed", proLogs, "--yes"});
  EXPECT_EQ(one.exitCode, 0) << one.err;
  EXPECT_FALSE(exists(proLogs));
  EXPECT_TRUE(exists(pro_));

  bundle_ = writeBundle(tree_, "disk/Applications/Tool.app",
                        {"com.example.Tool", "Tool", "Tool", std::nullopt});
  Outcome all = run({"remove", "Tool", "--include-claimed", "--yes"});
  EXPECT_EQ(all.exitCode, 0) << all.err;
  EXPECT_FALSE(exists(pro_));
  EXPECT_FALSE(exists(proLog_));
  EXPECT_TRUE(exists(applications_ + "/Tool Pro.app"));
}

TEST_F(CliTest, RemoveRefusesWhileTheApplicationRuns) {
  Outcome refused;
  {
    // A process whose executable lies inside the bundle counts as the application.
    testing::RunningStandIn running(bundle_, "Tool");
    refused = run({"remove", "Tool", "--yes"});
  }
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("is running"), std::string::npos) << refused.err;
  EXPECT_TRUE(exists(bundle_));
  EXPECT_TRUE(exists(pref_));
}

// True when `text` is well-formed UTF-8.
bool isUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if ((lead >= 0x80 && lead < 0xC2) || lead > 0xF4 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

// Names are bytes: JSON stays valid UTF-8 with the exact bytes beside it, and
// nothing in a name reaches the terminal as a control character.
TEST_F(CliTest, HostileNamesGiveValidJsonAndInertText) {
  tree_.file("disk/Users/tester/Library/Preferences/com.example.Tool.\xff\xfe.plist", "x");
  tree_.file("disk/Users/tester/Library/Preferences/com.example.Tool\x1b[2J.plist", "x");
  Outcome json = run({"scan", "Tool", "--json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  EXPECT_TRUE(isUtf8(json.out));
  EXPECT_NE(json.out.find("com.example.Tool.\xEF\xBF\xBD\xEF\xBF\xBD.plist"), std::string::npos);
  EXPECT_NE(json.out.find("\"path_bytes\":\""), std::string::npos);
  EXPECT_NE(json.out.find("2efffe2e706c697374\""), std::string::npos);  // ".\xff\xfe.plist"
  EXPECT_NE(json.out.find("Tool\\u001b[2J"), std::string::npos) << json.out;

  Outcome text = run({"scan", "Tool"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.out.find('\x1b'), std::string::npos);
  EXPECT_NE(text.out.find("com.example.Tool\\x1B[2J.plist"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("com.example.Tool.\\xFF\\xFE.plist"), std::string::npos);
}

// "certain" marks what the agent would take without review: a name made of
// the identifier, but not a Desktop folder named after the application.
TEST_F(CliTest, JsonTellsWhatIsCertainlyTheApplications) {
  tree_.file("disk/Users/tester/Desktop/Tool/notes.txt", "mine");
  Outcome json = run({"scan", "Tool", "--json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  auto certainOf = [&](const std::string& path) {
    const auto at = json.out.find("\"path\":\"" + path + "\"");
    if (at == std::string::npos) return std::string("missing");
    const auto flag = json.out.find("\"certain\":", at);
    return json.out.substr(flag + 10, json.out[flag + 10] == 't' ? 4 : 5);
  };
  EXPECT_EQ(certainOf(pref_), "true") << json.out;
  EXPECT_EQ(certainOf(home_ + "/Library/Caches/com.example.Tool"), "true") << json.out;
  EXPECT_EQ(certainOf(home_ + "/Desktop/Tool"), "false") << json.out;
}

// A bundle that is a link to one elsewhere: the link goes, the bundle stays.
TEST_F(CliTest, RemovingALinkedBundleRemovesTheLinkOnly) {
  const std::string elsewhere =
      writeBundle(tree_, "elsewhere/Foo.app", {"com.acme.Foo", "Foo", "Foo", std::nullopt});
  const std::string link = applications_ + "/Foo.app";
  std::filesystem::create_directory_symlink(elsewhere, link);
  Outcome done = run({"remove", link, "--yes"});
  EXPECT_EQ(done.exitCode, 0) << done.out << done.err;
  EXPECT_FALSE(std::filesystem::is_symlink(link));
  EXPECT_TRUE(exists(elsewhere + "/Contents/Info.plist"));
}

// A stored grant whose folder was replaced (here by a link to the moved
// home) makes remove refuse with a reason before it searches: nothing goes,
// not even the bundle.
TEST_F(CliTest, RemoveRefusesWhenANeededGrantIsStale) {
  const std::string config = tree_.path("config");
  ASSERT_EQ(testing::runCli({"grant", "home", home_}, config, tree_.root()).exitCode, 0);
  const std::string moved = tree_.path("disk/Users/tester-moved");
  std::filesystem::rename(home_, moved);
  std::filesystem::create_directory_symlink(moved, home_);
  EXPECT_NE(testing::runCli({"grants"}, config, tree_.root()).out.find("stale"), std::string::npos);

  Outcome refused = testing::runCli({"--applications", applications_, "remove", bundle_, "--yes"},
                                    config, tree_.root());
  EXPECT_EQ(refused.exitCode, 2) << refused.out << refused.err;
  EXPECT_NE(refused.err.find("home grant is stale"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("nothing was removed"), std::string::npos) << refused.err;
  EXPECT_TRUE(exists(bundle_ + "/Contents/Info.plist"));
  EXPECT_TRUE(exists(moved + "/Library/Preferences/com.example.Tool.plist"));
  EXPECT_TRUE(exists(moved + "/Library/Caches/com.example.Tool/cache.db"));

  // Granted afresh for the run, the same removal goes ahead.
  Outcome done = run({"remove", bundle_, "--yes"});
  EXPECT_EQ(done.exitCode, 0) << done.err;
  EXPECT_FALSE(exists(bundle_));
}

// A survivor is listed with its reason.
TEST_F(CliTest, EverySurvivorCarriesItsReason) {
  const std::string cache = tree_.path("disk/Users/tester/Library/Caches/com.example.Tool");
  const std::string script = "mount -t tmpfs none '" + cache + "' && exec \"$0\" \"$@\"";
  std::vector<std::string> args = {
      "-m",  "--propagation",  "private",     "sh",     "-c",   script, VIMBREL_CLI_PATH, "--home",
      home_, "--applications", applications_, "remove", "Tool", "--yes"};
  Outcome mounted =
      testing::runProgram("/usr/bin/unshare", args, tree_.path("config"), tree_.root());
  if (mounted.exitCode == 32 || mounted.err.find("unshare") != std::string::npos) {
    GTEST_SKIP() << "no private mount namespace here: " << mounted.err;
  }
  EXPECT_EQ(mounted.exitCode, 1) << mounted.out << mounted.err;
  EXPECT_NE(mounted.out.find("Could not remove:\n  " + cache + " (mount point)"), std::string::npos)
      << mounted.out;
  args.push_back("--json");
  writeBundle(tree_, "disk/Applications/Tool.app",
              {"com.example.Tool", "Tool", "Tool", std::nullopt});
  mounted = testing::runProgram("/usr/bin/unshare", args, tree_.path("config"), tree_.root());
  EXPECT_EQ(mounted.exitCode, 1) << mounted.out << mounted.err;
  EXPECT_NE(
      mounted.out.find("\"survivors\":[{\"path\":\"" + cache + "\",\"reason\":\"mount point\"}]"),
      std::string::npos)
      << mounted.out;
}

}  // namespace
}  // namespace vimbrel
