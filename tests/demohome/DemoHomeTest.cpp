#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "TempTree.h"
#include "demohome/DemoHome.h"
#include "platform/Bundle.h"

namespace vimbrel::demo {
namespace {

namespace fs = std::filesystem;
using testing::TempTree;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::string contents(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
  in.seekg(0);
  in.read(contents.data(), static_cast<std::streamsize>(contents.size()));
  return contents;
}

// One line per entry below `root`, sorted: kind, relative path, size, and a
// hash of the contents or the target of a link. Links are never followed.
std::vector<std::string> listing(const std::string& root) {
  std::vector<std::string> lines;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    const std::string relative = fs::relative(it->path(), root).string();
    if (it->is_symlink()) {
      lines.push_back("L " + relative + " -> " + fs::read_symlink(it->path()).string());
    } else if (it->is_directory()) {
      lines.push_back("D " + relative);
    } else {
      const std::string contents = readFile(it->path());
      lines.push_back("F " + relative + " " + std::to_string(contents.size()) + " " +
                      std::to_string(std::hash<std::string>{}(contents)));
    }
  }
  EXPECT_FALSE(error) << error.message();
  std::sort(lines.begin(), lines.end());
  return lines;
}

DemoHomeOptions optionsFor(std::string login, std::size_t extra = 0) {
  DemoHomeOptions options;
  options.loginName = std::move(login);
  options.extraEntries = extra;
  return options;
}

bool isSymlink(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// One generated tree shared by the tests that only read it.
class DemoTreeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tree_ = std::make_unique<TempTree>();
    ASSERT_TRUE(generateDemoHome(tree_->path("demo"), optionsFor("alice")));
  }
  static void TearDownTestSuite() { tree_.reset(); }
  static std::string at(const std::string& relative) { return tree_->path("demo/" + relative); }
  static std::string home(const std::string& relative) { return at("Users/alice/" + relative); }

  static std::unique_ptr<TempTree> tree_;
};

std::unique_ptr<TempTree> DemoTreeTest::tree_;

TEST_F(DemoTreeTest, BundlesCarryTheirInfoIconsAndExecutables) {
  const auto tool = Bundle::open(at("Applications/Tool.app"));
  ASSERT_TRUE(tool);
  EXPECT_EQ(tool->identifier(), "com.example.Tool");
  EXPECT_EQ(tool->infoString("CFBundleExecutable"), "Tool");
  EXPECT_EQ(tool->imageResource("ToolIcon"),
            at("Applications/Tool.app/Contents/Resources/ToolIcon.icns"));
  EXPECT_EQ(readFile(at("Applications/Tool.app/Contents/Resources/ToolIcon.icns")).substr(0, 4),
            "icns");
  EXPECT_EQ(
      readFile(at("Applications/Media Kit/Encoders/Framepack.app/Contents/Resources/icon.png"))
          .substr(1, 3),
      "PNG");
  EXPECT_GT(fs::file_size(at("Applications/Xcode.app/Contents/MacOS/Xcode")), 1000000U);

  // The binary Info.plist is binary, and still reads like the others.
  const std::string notarius = at("Applications/Notarius.app/Contents/Info.plist");
  EXPECT_EQ(readFile(notarius).substr(0, 8), "bplist00");
  EXPECT_EQ(readFile(at("Applications/Safari.app/Contents/Info.plist")).substr(0, 5), "<?xml");
  const auto binary = Bundle::open(at("Applications/Notarius.app"));
  ASSERT_TRUE(binary);
  EXPECT_EQ(binary->identifier(), "com.quillsoft.Notarius");
  EXPECT_EQ(binary->infoString("CFBundleName"), "Notarius");

  // The cases without identifier and without name.
  const auto scratchpad = Bundle::open(at("Applications/Scratchpad.app"));
  ASSERT_TRUE(scratchpad);
  EXPECT_FALSE(scratchpad->identifier());
  const auto blinker = Bundle::open(at("Applications/Blinker.app"));
  ASSERT_TRUE(blinker);
  EXPECT_FALSE(blinker->infoString("CFBundleName"));
  const auto myApp = Bundle::open(at("Applications/My App.app"));
  ASSERT_TRUE(myApp);
  EXPECT_EQ(myApp->infoString("CFBundleName"), "My App");

  const std::string items = "Applications/Syncwell.app/Contents/Library/LoginItems/";
  const auto launcher = Bundle::open(at(items + "Syncwell Launcher.app"));
  ASSERT_TRUE(launcher);
  EXPECT_EQ(launcher->identifier(), "net.syncwell.launcher");
}

TEST_F(DemoTreeTest, SafariListIsBinaryWithItsArchives) {
  const std::string folder = home("Library/Safari/Extensions/");
  const std::string list = readFile(folder + "Extensions.plist");
  EXPECT_EQ(list.substr(0, 8), "bplist00");
  for (const char* key : {"Installed Extensions", "Archive File Name", "Bundle Identifier",
                          "Bundle Directory Name", "Clipper.safariextz"}) {
    EXPECT_NE(list.find(key), std::string::npos) << key;
  }
  EXPECT_TRUE(fs::is_regular_file(folder + "Clipper.safariextz"));
  EXPECT_FALSE(fs::exists(folder + "Gone.safariextz"));  // listed, archive missing
}

TEST_F(DemoTreeTest, HiddenFilesLinksAndEmptyFoldersArePresent) {
  const std::string support = home("Library/Application Support/");
  EXPECT_TRUE(fs::is_regular_file(support + "Tool/.hidden-leftover"));
  EXPECT_TRUE(fs::is_regular_file(support + "Tool/.DS_Store"));
  EXPECT_TRUE(fs::is_regular_file(at("Applications/.DS_Store")));
  EXPECT_TRUE(fs::is_regular_file(at("Applications/Tool.app/Contents/Resources/.hidden-cache")));
  EXPECT_TRUE(isSymlink(support + "Tool/loop"));
  EXPECT_TRUE(isSymlink(support + "Tool/outside"));
  EXPECT_EQ(fs::read_symlink(support + "Tool/loop"), ".");
  EXPECT_TRUE(fs::is_empty(support + "Brightline"));
  // The distractors beside the real leftovers.
  EXPECT_TRUE(fs::is_directory(support + "Tool 2"));
  EXPECT_TRUE(fs::is_regular_file(home("Desktop/Tool.txt")));
  EXPECT_TRUE(fs::is_regular_file(home("Library/Preferences/com.lumenworks.PhotoForgePro.plist")));
  // The system side.
  for (const char* folder : {"Users/Shared/Tool", "Library/LaunchDaemons", "var/run", "var/db",
                             "Library/PrivilegedHelperTools", "Library/PreferencePanes"}) {
    EXPECT_TRUE(fs::is_directory(at(folder))) << folder;
  }
  EXPECT_TRUE(fs::is_regular_file(at(".vimbrel-demo")));
}

TEST(DemoHomeTest, GenerationIsDeterministicAndSmall) {
  TempTree tree;
  ASSERT_TRUE(generateDemoHome(tree.path("one"), optionsFor("bob")));
  ASSERT_TRUE(generateDemoHome(tree.path("two/"), optionsFor("bob")));
  const auto first = listing(tree.path("one"));
  EXPECT_GT(first.size(), 500U);
  EXPECT_EQ(first, listing(tree.path("two")));

  std::uintmax_t total = 0;
  for (const auto& entry : fs::recursive_directory_iterator(tree.path("one"))) {
    if (entry.is_regular_file() && !entry.is_symlink()) total += entry.file_size();
  }
  EXPECT_LT(total, 30U * 1024 * 1024);
}

TEST(DemoHomeTest, RegeneratesAnEarlierTreeWithoutFollowingLinks) {
  TempTree tree;
  const std::string root = tree.path("demo");
  ASSERT_TRUE(generateDemoHome(root, optionsFor("carol")));
  const auto fresh = listing(root);

  // Damage the tree, and swap folders for links that lead out of it.
  const std::string outside = tree.file("outside/keep.txt", "precious");
  fs::remove_all(root + "/Applications/Tool.app");
  tree.file("demo/Users/carol/Library/Preferences/stray.plist", "x");
  fs::remove_all(root + "/var");
  tree.symlink("demo/var", tree.path("outside"));
  tree.symlink("demo/Library/Logs/escape", tree.path("outside"));
  tree.file("demo/notes-of-the-user.txt", "mine");

  EXPECT_EQ(inspectDemoRoot(root), DemoRootState::EarlierDemo);
  ASSERT_TRUE(generateDemoHome(root, optionsFor("carol")));
  EXPECT_EQ(readFile(outside), "precious");
  EXPECT_FALSE(isSymlink(root + "/var"));
  // Only what the generator writes was replaced; the user's own file stays.
  EXPECT_EQ(readFile(root + "/notes-of-the-user.txt"), "mine");
  fs::remove(root + "/notes-of-the-user.txt");
  EXPECT_EQ(listing(root), fresh);
}

TEST(DemoHomeTest, RefusesFoldersThatHoldNoDemoTree) {
  TempTree tree;
  EXPECT_EQ(inspectDemoRoot(tree.path("missing")), DemoRootState::Missing);
  EXPECT_EQ(inspectDemoRoot(tree.folder("empty")), DemoRootState::Empty);
  EXPECT_EQ(inspectDemoRoot(tree.file("file.txt", "x")), DemoRootState::NotAFolder);

  const std::string foreign = tree.folder("foreign");
  tree.file("foreign/Applications/Mine.app/Contents/Info.plist", "mine");
  tree.folder("foreign/.vimbrel-demo");  // a marker must be a plain file
  tree.symlink("foreign/Library", tree.path("empty"));
  EXPECT_EQ(inspectDemoRoot(foreign), DemoRootState::Foreign);
  const auto before = listing(foreign);

  const Status refused = generateDemoHome(foreign, optionsFor("dave"));
  EXPECT_FALSE(refused);
  EXPECT_NE(refused.message().find("refusing"), std::string::npos) << refused.message();
  EXPECT_FALSE(clearDemoTree(foreign));
  EXPECT_FALSE(generateDemoHome(tree.path("file.txt"), optionsFor("dave")));
  EXPECT_EQ(listing(foreign), before);
}

TEST(DemoHomeTest, RejectsUnusableOptions) {
  TempTree tree;
  for (const char* login : {"", "a/b", "..", ".hidden", "Shared"}) {
    EXPECT_FALSE(generateDemoHome(tree.path("demo"), optionsFor(login))) << login;
  }
  DemoHomeOptions negative = optionsFor("erin");
  negative.scale = -1;
  EXPECT_FALSE(generateDemoHome(tree.path("demo"), negative));
  EXPECT_FALSE(fs::exists(tree.path("demo")));
  EXPECT_EQ(demoHomeFolder("/x/demo/", "erin"), "/x/demo/Users/erin");
  EXPECT_EQ(demoApplicationsFolder("/x/demo"), "/x/demo/Applications");
}

// The relative paths of every entry below `root`.
std::vector<std::string> relativePaths(const std::string& root) {
  std::vector<std::string> paths;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    paths.push_back(fs::relative(entry.path(), root).string());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST(DemoHomeTest, ExtraEntriesAddExactlyThatManyMostlyUnrelatedNames) {
  TempTree tree;
  ASSERT_TRUE(generateDemoHome(tree.path("plain"), optionsFor("fay")));
  ASSERT_TRUE(generateDemoHome(tree.path("loaded"), optionsFor("fay", 3000)));
  const auto plain = relativePaths(tree.path("plain"));
  const auto loaded = relativePaths(tree.path("loaded"));
  std::vector<std::string> added;
  std::set_difference(loaded.begin(), loaded.end(), plain.begin(), plain.end(),
                      std::back_inserter(added));
  EXPECT_EQ(loaded.size(), plain.size() + 3000);
  ASSERT_EQ(added.size(), 3000U);

  // Spread over the deep and the flat folders.
  for (const std::string folder : {"Library/Application Support/", "Library/Logs/", "var/folders/",
                                   "Library/Preferences/", "Library/Caches/"}) {
    EXPECT_GT(std::count_if(
                  added.begin(), added.end(),
                  [&](const std::string& path) { return path.find(folder) != std::string::npos; }),
              100)
        << folder;
  }
  // A few names carry a demo application's name, nearly all do not.
  const auto matching = std::count_if(added.begin(), added.end(), [](const std::string& path) {
    const std::string name = fs::path(path).filename().string();
    for (const char* app : {"Tool", "PhotoForge", "Syncwell", "Framepack"}) {
      if (name.find(app) != std::string::npos) return true;
    }
    return false;
  });
  EXPECT_GT(matching, 0);
  EXPECT_LT(matching, 60);
}

}  // namespace
}  // namespace vimbrel::demo
