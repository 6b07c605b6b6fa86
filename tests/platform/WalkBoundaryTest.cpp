#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "ChildProcess.h"
#include "TempTree.h"
#include "platform/FileSystem.h"

namespace vimbrel {
namespace {

using testing::TempTree;

RemovalAnchor at(const std::string& root) {
  return {root, identifyFolder(root).value_or(FileIdentity{}), ""};
}

bool exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

// Deletion, sizing and deep listings stop at every mount: a bind mount of a
// folder outside inside a leftover, and a leftover that is a mount itself.
TEST(WalkBoundaries, NothingOnAnotherMountIsListedSizedOrDeleted) {
  TempTree tree;
  const std::string root = tree.folder("root");
  const std::string leftover = tree.folder("root/Library/Application Support/Foo");
  tree.file("root/Library/Application Support/Foo/data.txt", "data");
  const std::string mountPoint = tree.folder("root/Library/Application Support/Foo/mnt");
  const std::string outside = tree.file("outside/precious.txt", "precious");
  const std::string cache = tree.folder("root/Library/Caches/com.acme.Foo");
  PosixFileSystem fs;
  VIMBREL_EXPECT_CHILD(testing::runInPrivateMountNamespace([&]() -> std::string {
    if (mount(tree.path("outside").c_str(), mountPoint.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        mount("none", cache.c_str(), "tmpfs", 0, nullptr) != 0) {
      return "cannot mount: " + std::string(strerror(errno));
    }
    const std::string onTmpfs = cache + "/c";
    if (close(open(onTmpfs.c_str(), O_CREAT | O_WRONLY, 0644)) != 0)
      return "cannot write " + onTmpfs;

    std::string listed;
    fs.listDeep(root, Packages::Enter, EntrySizes::Read, [&](const DirEntry& entry) {
      listed += std::string(entry.path) + "\n";
      return Visit::Continue;
    });
    if (listed.find("precious") != std::string::npos) return "the listing entered a bind mount";
    if (listed.find(onTmpfs) != std::string::npos) return "the listing entered a tmpfs";
    if (listed.find(mountPoint + "\n") == std::string::npos) return "the mount point is not listed";

    const Status inside = fs.removeBelow(at(root), leftover);
    if (inside.isOk() || inside.message() != reasons::kMountPoint) {
      return "a leftover holding a mount: " + inside.message();
    }
    if (!exists(outside)) return "the bind-mounted folder outside was emptied";
    if (exists(leftover + "/data.txt")) return "the rest of the leftover was not removed";
    const Status itself = fs.removeBelow(at(root), cache);
    if (itself.isOk() || itself.message() != reasons::kMountPoint) {
      return "a leftover that is a mount point: " + itself.message();
    }
    if (!exists(onTmpfs)) return "the mounted file system was emptied";
    return "";
  }));
  EXPECT_TRUE(exists(outside));
}

// Makes `levels` nested folders below `base`, one descriptor at a time.
std::string makeDeepTree(const std::string& base, int levels) {
  int fd = open(base.c_str(), O_RDONLY | O_DIRECTORY);
  std::string path = base;
  for (int i = 0; i < levels && fd >= 0; ++i) {
    mkdirat(fd, "d", 0755);
    const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = next;
    path += "/d";
  }
  if (fd >= 0) {
    close(openat(fd, "leaf", O_CREAT | O_WRONLY, 0644));
    close(fd);
  }
  return path;
}

// A tree 12,000 folders deep is listed, sized and deleted whole with far
// fewer descriptors than levels.
TEST(WalkBoundaries, VeryDeepTreesNeedFewDescriptors) {
  TempTree tree;
  const std::string root = tree.folder("root");
  const std::string top = tree.folder("root/deep");
  constexpr int kLevels = 12000;
  makeDeepTree(top, kLevels);
  PosixFileSystem fs;
  VIMBREL_EXPECT_CHILD(testing::runInChild([&]() -> std::string {
    const rlimit few{200, 200};
    if (setrlimit(RLIMIT_NOFILE, &few) != 0) return "cannot limit descriptors";
    int folders = 0, files = 0;
    std::size_t longest = 0;
    fs.listDeep(top, Packages::Enter, EntrySizes::Read, [&](const DirEntry& entry) {
      (entry.type == EntryType::Directory ? folders : files) += 1;
      longest = std::max(longest, entry.path.size());
      return Visit::Continue;
    });
    if (folders != kLevels || files != 1) {
      return "listed " + std::to_string(folders) + " folders and " + std::to_string(files) +
             " files";
    }
    if (longest <= 4096) return "the paths should be longer than PATH_MAX";
    const Status removed = fs.removeBelow(at(root), top);
    if (!removed.isOk()) return "removal failed: " + removed.message();
    if (exists(top)) return "the deep tree is still there";
    return "";
  }));
}

}  // namespace
}  // namespace vimbrel
