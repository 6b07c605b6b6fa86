#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "TempTree.h"
#include "platform/SettingsStore.h"

namespace vimbrel {
namespace {

namespace fs = std::filesystem;
using testing::TempTree;

constexpr const char* kDomain = "test.domain";

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> filesStartingWith(const std::string& folder, const std::string& prefix) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(prefix)) names.push_back(name);
  }
  return names;
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  std::unique_ptr<SettingsStore> open() const { return openPlistSettingsStore(folder_, kDomain); }
  std::string file() const { return folder_ + "/" + kDomain + ".plist"; }

  TempTree tree_;
  std::string folder_ = tree_.path("config/vimbrel");
};

TEST_F(SettingsStoreTest, AbsentKeysReadZeroAndValuesSurviveReopening) {
  auto store = open();
  EXPECT_EQ(store->integer("missing"), 0);
  EXPECT_FALSE(store->blob("missing").has_value());

  store->setInteger("count", 42);
  store->setInteger("negative", -7);
  store->setInteger("large", std::int64_t{1} << 40);
  store->setBlob("grant", Blob{0, 1, 2, 255});
  store->setBlob("empty", Blob{});
  EXPECT_TRUE(store->synchronize());

  auto reopened = open();
  EXPECT_EQ(reopened->integer("count"), 42);
  EXPECT_EQ(reopened->integer("negative"), -7);
  EXPECT_EQ(reopened->integer("large"), std::int64_t{1} << 40);
  EXPECT_EQ(reopened->blob("grant"), (Blob{0, 1, 2, 255}));
  EXPECT_EQ(reopened->blob("empty"), Blob{});
  // A value of the other kind reads as absent.
  EXPECT_EQ(reopened->integer("grant"), 0);
  EXPECT_FALSE(reopened->blob("count").has_value());

  // The folder is private, and the file is a binary property list.
  struct stat info {};
  ASSERT_EQ(stat(folder_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_TRUE(readBytes(file()).starts_with("bplist00"));
  EXPECT_TRUE(filesStartingWith(folder_, std::string(kDomain) + ".plist.tmp").empty());
}

TEST_F(SettingsStoreTest, OtherValueTypesAreReadAsIntegersTolerantly) {
  tree_.file("config/vimbrel/test.domain.plist", R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>yes</key><true/>
  <key>no</key><false/>
  <key>real</key><real>2.67</real>
  <key>negativeReal</key><real>-2.5</real>
  <key>hugeReal</key><real>1e300</real>
  <key>number</key><string>123</string>
  <key>padded</key><string>  -42 apples</string>
  <key>words</key><string>abc</string>
  <key>date</key><date>2020-01-01T00:00:00Z</date>
  <key>list</key><array><integer>5</integer></array>
</dict></plist>)");
  auto store = open();
  EXPECT_EQ(store->integer("yes"), 1);
  EXPECT_EQ(store->integer("no"), 0);
  EXPECT_EQ(store->integer("real"), 2);
  EXPECT_EQ(store->integer("negativeReal"), -3);
  EXPECT_EQ(store->integer("hugeReal"), INT64_MAX);
  EXPECT_EQ(store->integer("number"), 123);
  EXPECT_EQ(store->integer("padded"), -42);
  EXPECT_EQ(store->integer("words"), 0);
  EXPECT_EQ(store->integer("date"), 0);
  EXPECT_EQ(store->integer("list"), 0);

  // A write keeps the other keys, whatever their type.
  store->setInteger("new", 1);
  auto reopened = open();
  EXPECT_EQ(reopened->integer("real"), 2);
  EXPECT_EQ(reopened->integer("yes"), 1);
  EXPECT_EQ(reopened->integer("new"), 1);
}

TEST_F(SettingsStoreTest, AnotherProcessesWritesAreSeenAtTheNextRead) {
  auto store = open();
  store->setInteger("mine", 1);
  EXPECT_EQ(store->integer("theirs"), 0);

  for (std::int64_t value : {7, 8}) {  // 8 has the size of 7: the file identity must still change
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      openPlistSettingsStore(folder_, kDomain)->setInteger("theirs", value);
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(store->integer("theirs"), value);
    EXPECT_EQ(store->integer("mine"), 1);
  }
}

TEST_F(SettingsStoreTest, ConcurrentWritersLoseNoKey) {
  constexpr int kWrites = 60;
  const auto writeMany = [this](const std::string& prefix) {
    auto store = open();
    for (int i = 0; i < kWrites; ++i) store->setInteger(prefix + std::to_string(i), i + 1);
  };
  std::vector<pid_t> children;
  for (const char* prefix : {"a", "b"}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      writeMany(prefix);
      _exit(0);
    }
    children.push_back(child);
  }
  // Two threads of this process write at the same time through one store.
  auto shared = open();
  std::thread first([&] {
    for (int i = 0; i < kWrites; ++i) shared->setInteger("c" + std::to_string(i), i + 1);
  });
  std::thread second([&] {
    for (int i = 0; i < kWrites; ++i) shared->setInteger("d" + std::to_string(i), i + 1);
  });
  first.join();
  second.join();
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  auto store = open();
  for (const char* prefix : {"a", "b", "c", "d"}) {
    for (int i = 0; i < kWrites; ++i) {
      EXPECT_EQ(store->integer(prefix + std::to_string(i)), i + 1) << prefix << i;
    }
  }
}

TEST_F(SettingsStoreTest, CorruptFilesAreKeptAsideAndTheStoreStartsEmpty) {
  const std::string garbage = "this is not a property list";
  tree_.file("config/vimbrel/test.domain.plist", garbage);

  auto store = open();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(store->integer("anything"), 0);
  const std::string warning = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(warning.find("corrupt"), std::string::npos);
  EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 1);

  auto aside = filesStartingWith(folder_, std::string(kDomain) + ".plist.corrupt-");
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_EQ(readBytes(folder_ + "/" + aside[0]), garbage);
  EXPECT_FALSE(fs::exists(file()));

  store->setInteger("after", 3);
  EXPECT_TRUE(store->synchronize());
  EXPECT_EQ(open()->integer("after"), 3);

  // A second corrupt file, this time a property list that is not a
  // dictionary, goes aside under a name of its own in the same second.
  tree_.file("config/vimbrel/test.domain.plist",
             "<plist version=\"1.0\"><array><integer>1</integer></array></plist>");
  ::testing::internal::CaptureStderr();
  store->setInteger("again", 4);  // the writer meets the corrupt file first
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(store->integer("again"), 4);
  EXPECT_EQ(store->integer("after"), 0);
  aside = filesStartingWith(folder_, std::string(kDomain) + ".plist.corrupt-");
  EXPECT_EQ(aside.size(), 2u);
  bool firstKept = false;
  for (const auto& name : aside) firstKept |= readBytes(folder_ + "/" + name) == garbage;
  EXPECT_TRUE(firstKept);
}

// A list nested far too deep is taken for corrupt and kept aside, and a FIFO
// at the file's name is read as empty without waiting for a writer.
TEST_F(SettingsStoreTest, HostileFilesNeitherCrashNorBlock) {
  // Plain nesting, and nesting that hides behind a quoted "/>" in each tag.
  std::size_t expectedAside = 0;
  for (const char* level : {"<array>", "<array \"/>\">"}) {
    std::string deep = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (int i = 0; i < 200000; ++i) deep += level;
    tree_.file("config/vimbrel/test.domain.plist", deep);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(open()->integer("anything"), 0);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("corrupt"), std::string::npos);
    EXPECT_EQ(filesStartingWith(folder_, std::string(kDomain) + ".plist.corrupt-").size(),
              ++expectedAside)
        << level;
    EXPECT_FALSE(fs::exists(file()));
  }

  ASSERT_EQ(mkfifo(file().c_str(), 0600), 0);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(open()->integer("anything"), 0);
  ::testing::internal::GetCapturedStderr();
}

// The programs' own file is read whatever its size.
TEST_F(SettingsStoreTest, ALargeFileOfOurOwnIsNeverRefused) {
  const Blob large((65u << 20) + 1, 0x5A);
  {
    auto store = open();
    store->setBlob("large", large);
    ASSERT_TRUE(store->synchronize());
  }
  ::testing::internal::CaptureStderr();
  const auto back = open()->blob("large");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->size(), large.size());
}

// A writer killed between creating its temporary file and renaming it leaves
// the file behind; the next write removes it, and never a running writer's.
TEST_F(SettingsStoreTest, ADeadWritersTemporaryFileGoesAtTheNextWrite) {
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  const std::string deadFile =
      tree_.file("config/vimbrel/test.domain.plist.tmp." + std::to_string(dead), "half written");
  const std::string liveFile = tree_.file(
      "config/vimbrel/test.domain.plist.tmp." + std::to_string(getppid()), "being written");
  auto store = open();
  store->setInteger("count", 1);
  ASSERT_TRUE(store->synchronize());
  EXPECT_FALSE(fs::exists(deadFile));
  EXPECT_TRUE(fs::exists(liveFile));
}

TEST_F(SettingsStoreTest, FailedWriteLeavesTheOldFileWhole) {
  auto store = open();
  store->setInteger("kept", 1);
  ASSERT_TRUE(store->synchronize());
  const std::string before = readBytes(file());

  // A folder at the temporary file's name makes the write fail even for root.
  const std::string blocker = file() + ".tmp." + std::to_string(getpid());
  fs::create_directory(blocker);
  ::testing::internal::CaptureStderr();
  store->setInteger("kept", 2);
  store->setInteger("added", 5);
  const std::string warning = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(warning.find("cannot save"), std::string::npos);
  EXPECT_FALSE(store->synchronize());

  EXPECT_EQ(readBytes(file()), before);
  EXPECT_EQ(store->integer("kept"), 1);
  EXPECT_EQ(store->integer("added"), 0);

  fs::remove(blocker);
  store->setInteger("kept", 2);
  EXPECT_TRUE(store->synchronize());
  EXPECT_EQ(open()->integer("kept"), 2);
}

TEST(SettingsFolderTest, FollowsTheConfigurationHome) {
  const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = savedConfig ? savedConfig : "";
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";

  setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
  EXPECT_EQ(settingsFolder(), "/somewhere/config/vimbrel");
  setenv("XDG_CONFIG_HOME", "relative/config", 1);  // invalid by the XDG rules
  EXPECT_EQ(settingsFolder(), home + "/.config/vimbrel");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(settingsFolder(), home + "/.config/vimbrel");

  if (savedConfig) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

}  // namespace
}  // namespace vimbrel
