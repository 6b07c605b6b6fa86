#include "platform/Grant.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "TempTree.h"
#include "platform/MemorySettingsStore.h"

namespace vimbrel {
namespace {

namespace fs = std::filesystem;
using testing::TempTree;

bool fileSystemRecordsBirthTimes(const std::string& path) {
  struct statx info {};
  return statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &info) == 0 &&
         (info.stx_mask & STATX_BTIME) != 0;
}

class GrantTest : public ::testing::Test {
 protected:
  ResolvedGrant grantAndResolve(const std::string& folder) {
    store_->setBlob("grant", createGrant(folder));
    return resolve_grant(*store_, "grant");
  }
  ResolvedGrant resolveBlob(const Blob& blob) {
    memory_.setBlob("grant", blob);
    return resolve_grant(memory_, "grant");
  }

  TempTree tree_;
  std::unique_ptr<SettingsStore> store_ = openPlistSettingsStore(tree_.path("config"), "grants");
  // Hundreds of hostile blobs resolve quickly from memory.
  MemorySettingsStore memory_;
};

TEST_F(GrantTest, TheSameFolderResolvesFresh) {
  const std::string folder = tree_.folder("Users/alice");
  auto resolved = grantAndResolve(folder + "/");
  ASSERT_TRUE(resolved.location.has_value());
  EXPECT_EQ(*resolved.location, folder);
  EXPECT_FALSE(resolved.stale);

  // A grant made through a link pins the folder itself.
  tree_.symlink("link", folder);
  resolved = grantAndResolve(tree_.path("link"));
  EXPECT_EQ(resolved.location, folder);
  EXPECT_FALSE(resolved.stale);

  auto root = grantAndResolve("/");
  EXPECT_EQ(root.location, "/");
  EXPECT_FALSE(root.stale);
}

TEST_F(GrantTest, OnlyExistingFoldersCanBeGranted) {
  EXPECT_TRUE(createGrant(tree_.path("missing")).empty());
  EXPECT_TRUE(createGrant(tree_.file("plain.txt", "x")).empty());
  EXPECT_TRUE(createGrant("").empty());
}

TEST_F(GrantTest, AFolderReplacedAtItsPathResolvesStale) {
  const std::string folder = tree_.folder("Applications");
  store_->setBlob("grant", createGrant(folder));

  // The old folder stays elsewhere (so its inode is not reused), a new one takes its path.
  fs::rename(folder, tree_.folder("elsewhere") + "/Applications-old");
  tree_.folder("Applications");
  auto resolved = resolve_grant(*store_, "grant");
  EXPECT_EQ(resolved.location, folder);
  EXPECT_TRUE(resolved.stale);
}

TEST_F(GrantTest, AFolderDeletedAndMadeAgainResolvesStale) {
  const std::string folder = tree_.folder("Users/bob");
  if (!fileSystemRecordsBirthTimes(folder)) GTEST_SKIP() << "no birth times on this file system";
  store_->setBlob("grant", createGrant(folder));
  // The new folder often gets the old inode number; the birth time tells them apart.
  fs::remove(folder);
  tree_.folder("Users/bob");
  auto resolved = resolve_grant(*store_, "grant");
  EXPECT_EQ(resolved.location, folder);
  EXPECT_TRUE(resolved.stale);
}

TEST_F(GrantTest, AFolderRenamedBesideItsOldPlaceIsFollowed) {
  const std::string folder = tree_.folder("Users/carol");
  tree_.folder("Users/dave");
  tree_.file("Users/notes.txt", "x");
  store_->setBlob("grant", createGrant(folder));
  fs::rename(folder, tree_.path("Users/carol-renamed"));

  auto resolved = resolve_grant(*store_, "grant");
  EXPECT_EQ(resolved.location, tree_.path("Users/carol-renamed"));
  EXPECT_TRUE(resolved.stale);

  // Moved deeper, it cannot be followed; deleted, it is gone.
  fs::rename(tree_.path("Users/carol-renamed"), tree_.folder("Users/dave") + "/carol");
  EXPECT_FALSE(resolve_grant(*store_, "grant").location.has_value());
  fs::remove(tree_.path("Users/dave/carol"));
  EXPECT_FALSE(resolve_grant(*store_, "grant").location.has_value());
}

TEST_F(GrantTest, AFolderInATrashCountsAsDeleted) {
  // Renamed beside its old place into a per-user Trash folder name: found, but thrown away.
  const std::string folder = tree_.folder("Volume/Tool");
  store_->setBlob("grant", createGrant(folder));
  fs::rename(folder, tree_.path("Volume/.Trash-1000"));
  EXPECT_FALSE(resolve_grant(*store_, "grant").location.has_value());

  EXPECT_FALSE(grantAndResolve(tree_.folder("Volume/.Trash/1000/Thing")).location.has_value());
  EXPECT_FALSE(grantAndResolve(tree_.folder("mnt/.Trash-1000/files/x")).location.has_value());

  const char* saved = std::getenv("XDG_DATA_HOME");
  const std::string savedValue = saved ? saved : "";
  setenv("XDG_DATA_HOME", tree_.folder("data").c_str(), 1);
  EXPECT_FALSE(grantAndResolve(tree_.folder("data/Trash/files/Old")).location.has_value());
  EXPECT_TRUE(grantAndResolve(tree_.folder("data/Other")).location.has_value());
  if (saved) {
    setenv("XDG_DATA_HOME", savedValue.c_str(), 1);
  } else {
    unsetenv("XDG_DATA_HOME");
  }
}

TEST_F(GrantTest, AbsentEmptyAndHostileBlobsGiveNoLocation) {
  EXPECT_FALSE(resolve_grant(memory_, "absent").location.has_value());
  EXPECT_FALSE(resolveBlob({}).location.has_value());
  EXPECT_FALSE(resolveBlob({'b', 'p', 'l', 'i', 's', 't', '0', '0'}).location.has_value());

  const std::string folder = tree_.folder("Users/erin");
  const Blob valid = createGrant(folder);
  ASSERT_FALSE(valid.empty());
  for (std::size_t length = 0; length < valid.size(); ++length) {
    EXPECT_FALSE(resolveBlob(Blob(valid.begin(), valid.begin() + length)).location.has_value())
        << "truncated to " << length;
  }
  // Flipped bits may still parse; whatever they say must not crash or throw.
  std::mt19937 random(1234);
  for (int round = 0; round < 300; ++round) {
    Blob damaged = valid;
    damaged[random() % damaged.size()] ^= static_cast<std::uint8_t>(1u << (random() % 8));
    (void)resolveBlob(damaged);
  }
  for (int round = 0; round < 100; ++round) {
    Blob noise(random() % 200);
    for (auto& byte : noise) byte = static_cast<std::uint8_t>(random());
    (void)resolveBlob(noise);
  }
}

TEST_F(GrantTest, BlobsWithWrongFieldsGiveNoLocation) {
  const std::string folder = tree_.folder("Users/frank");
  struct stat info {};
  ASSERT_EQ(stat(folder.c_str(), &info), 0);
  const auto xmlGrant = [&](const std::string& version, const std::string& path) {
    const std::string text = "<plist version=\"1.0\"><dict><key>version</key>" + version +
                             "<key>path</key>" + path + "<key>device</key><integer>" +
                             std::to_string(info.st_dev) + "</integer><key>inode</key><integer>" +
                             std::to_string(info.st_ino) + "</integer></dict></plist>";
    return Blob(text.begin(), text.end());
  };
  const std::string goodPath = "<string>" + folder + "</string>";
  // The control: the same fields, well formed, resolve (an XML blob is read too).
  auto control = resolveBlob(xmlGrant("<integer>1</integer>", goodPath));
  EXPECT_EQ(control.location, folder);
  EXPECT_FALSE(control.stale);
  EXPECT_FALSE(resolveBlob(xmlGrant("<integer>2</integer>", goodPath)).location.has_value());
  EXPECT_FALSE(resolveBlob(xmlGrant("<string>1</string>", goodPath)).location.has_value());
  EXPECT_FALSE(resolveBlob(xmlGrant("<integer>1</integer>", "<string>Users/frank</string>"))
                   .location.has_value());
  EXPECT_FALSE(
      resolveBlob(xmlGrant("<integer>1</integer>", "<integer>5</integer>")).location.has_value());
  const std::string array = "<plist version=\"1.0\"><array><integer>1</integer></array></plist>";
  EXPECT_FALSE(resolveBlob(Blob(array.begin(), array.end())).location.has_value());
}

}  // namespace
}  // namespace vimbrel
