#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/SearchRoots.h"
#include "platform/FileSystem.h"

namespace vimbrel {

// One application bundle found in the granted trees.
struct InstalledBundle {
  std::string path;        // normalized
  FileIdentity identity;   // device and inode of the bundle folder
  std::string folderName;  // "Tool.app"
  std::string label;       // the name the file browser shows ("Tool")
  // The bundle identifier; nothing when the bundle has none or its
  // information dictionary could not be read (`readable` tells which).
  std::optional<std::string> identifier;
  bool readable = false;
  std::optional<std::string> name;        // CFBundleName
  std::optional<std::string> executable;  // CFBundleExecutable
  // For a bundle inside another bundle: the path of the outermost bundle
  // that holds it, whose helper it is. Empty for a bundle of its own.
  std::string outer;

  // The identifier's last and second components ("Tool", "example"), as the
  // catalog derives `bundle_name` and `company_name`.
  std::optional<std::string> bundleName() const;
  std::optional<std::string> company() const;
};

// Every application bundle in the granted trees: the Applications folders
// (the granted one, the disk's and the home's) at any depth, bundles directly
// in or one folder below the home's other top-level folders (not Library, not
// the Trash), and bundles nested inside those bundles at any depth.
//
// The index is kept between searches. It records the device, inode,
// modification and change time of every folder it walked (bundle folders
// and their information dictionaries included); each refresh re-checks those
// with one fstatat each and re-reads only the folders and bundles that
// changed, so a bundle installed deep down is never missed and an unchanged
// tree costs no listing. Safe to use from several threads; a refresh holds
// the index for its duration.
class InstalledApplicationIndex {
 public:
  // Brings the index up to date with the trees of `roots` and returns the
  // bundles found, in walk order.
  std::vector<InstalledBundle> refresh(const FileSystem& fileSystem, const SearchRoots& roots);

  // The bundles of the last refresh whose identifier equals `identifier`
  // without regard to case.
  std::vector<InstalledBundle> withIdentifier(std::string_view identifier) const;

  // How many folders and bundles the last refresh had to read again (for tests).
  struct Reads {
    std::size_t folders = 0;
    std::size_t bundles = 0;
  };
  Reads lastReads() const;

  // The index the programs share: one per process.
  static InstalledApplicationIndex& shared();

 private:
  struct Folder {
    PathStamp stamp;
    std::vector<std::string> subfolders;  // names, walked further
    std::vector<std::string> bundles;     // names of the application bundles in it
  };
  struct KnownBundle {
    PathStamp folder, contents, info;  // the bundle, its Contents, its Info.plist
    InstalledBundle bundle;
  };
  // How far below a walked folder bundles are looked for.
  enum class Depth { Any, Two, Nested };

  void walk(const FileSystem& fileSystem, const std::string& folder, Depth depth, int level,
            const std::string& outer, std::vector<InstalledBundle>& found);
  const Folder* folder(const FileSystem& fileSystem, const std::string& path);
  void addBundle(const FileSystem& fileSystem, const std::string& path, const std::string& outer,
                 std::vector<InstalledBundle>& found);

  mutable std::mutex mutex_;
  std::map<std::string, Folder> folders_;
  std::map<std::string, KnownBundle> bundles_;
  std::vector<InstalledBundle> last_;
  std::map<std::string, bool> visited_;  // the folders and bundles met by the running refresh
  Reads reads_;
};

}  // namespace vimbrel
