#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "PlistIO.h"
#include "platform/AtomicFile.h"
#include "platform/PlistReader.h"
#include "platform/SettingsStore.h"
#include "platform/User.h"
#include "platform/XdgFolders.h"

namespace vimbrel {

namespace {

using plistio::PlistPtr;

constexpr mode_t kFolderMode = 0700;
constexpr mode_t kFileMode = 0600;

void warn(const std::string& message) {
  // One line, written at once, so lines of several threads do not interleave.
  const std::string line = "vimbrel: settings: " + message + "\n";
  fputs(line.c_str(), stderr);
}

// What tells one version of the settings file from another. Every write
// renames a new file into place, so the inode changes; the times and size
// catch an inode number that the file system reused.
struct FileIdentity {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};

  static FileIdentity of(const struct stat& info) {
    return {true, info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
  }
  bool operator==(const FileIdentity& other) const {
    if (exists != other.exists) return false;
    if (!exists) return true;
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
           changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
  }
};

enum class FileState { Missing, Dictionary, Corrupt, Unreadable };

struct LoadedFile {
  FileState state = FileState::Missing;
  PlistPtr dictionary;  // set for Dictionary
  FileIdentity identity;
  std::string problem;  // why the file is Corrupt or Unreadable
};

LoadedFile loadFile(const std::string& path) {
  LoadedFile loaded;
  // The programs' own file: read whatever its size, but only a regular file.
  plistreader::FileBytes file = plistreader::readRegularFile(path, std::nullopt);
  switch (file.outcome) {
    case plistreader::FileOutcome::Missing:
      return loaded;
    case plistreader::FileOutcome::NotRegular:
    case plistreader::FileOutcome::TooLarge:
      loaded.state = FileState::Unreadable;
      loaded.problem = "not a regular settings file";
      return loaded;
    case plistreader::FileOutcome::Unreadable:
      loaded.state = FileState::Unreadable;
      loaded.problem = std::string("cannot read: ") + strerror(file.error);
      return loaded;
    case plistreader::FileOutcome::Loaded:
      break;
  }
  loaded.identity = FileIdentity::of(file.info);
  PlistPtr root = plistio::parse(file.bytes.data(), file.bytes.size());
  if (!plistio::isDictionary(root.get())) {
    loaded.state = FileState::Corrupt;
    loaded.problem = root ? "not a dictionary" : "not a property list";
    return loaded;
  }
  loaded.state = FileState::Dictionary;
  loaded.dictionary = std::move(root);
  return loaded;
}

std::string timestamp() {
  const time_t now = ::time(nullptr);
  struct tm parts {};
  gmtime_r(&now, &parts);
  char text[32];
  strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
  return text;
}

// Holds an exclusive flock on the domain's lock file for its lifetime.
class WriterLock {
 public:
  explicit WriterLock(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, kFileMode);
    if (fd_ < 0) {
      status_ = Status::fromErrno(errno, "open " + path);
      return;
    }
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      status_ = Status::fromErrno(errno, "flock " + path);
      return;
    }
  }
  ~WriterLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  WriterLock(const WriterLock&) = delete;
  WriterLock& operator=(const WriterLock&) = delete;
  const Status& status() const { return status_; }

 private:
  int fd_ = -1;
  Status status_;
};

class PlistSettingsStore final : public SettingsStore {
 public:
  PlistSettingsStore(std::string folder, const std::string& domain)
      : folder_(std::move(folder)),
        path_(folder_ + "/" + domain + ".plist"),
        lockPath_(path_ + ".lock"),
        cache_(plist_new_dict()) {
    if (Status status = atomicfile::makeFolders(folder_, kFolderMode); !status) {
      warn("cannot create " + folder_ + ": " + status.message());
    }
  }

  std::int64_t integer(const std::string& key) const override {
    std::lock_guard lock(mutex_);
    refreshLocked();
    return plistio::coerceInteger(plist_dict_get_item(cache_.get(), key.c_str()));
  }

  std::optional<Blob> blob(const std::string& key) const override {
    std::lock_guard lock(mutex_);
    refreshLocked();
    return plistio::dataValue(plist_dict_get_item(cache_.get(), key.c_str()));
  }

  void setInteger(const std::string& key, std::int64_t value) override {
    // Binary property lists keep 64-bit integers signed; libplist takes the bits unsigned.
    write(key, PlistPtr(plist_new_uint(static_cast<std::uint64_t>(value))));
  }

  void setBlob(const std::string& key, const Blob& value) override {
    write(key, PlistPtr(plist_new_data(reinterpret_cast<const char*>(value.data()), value.size())));
  }

  bool synchronize() override {
    std::lock_guard lock(mutex_);
    refreshLocked();
    const bool allWritten = !writeFailed_;
    writeFailed_ = false;
    return allWritten;
  }

 private:
  // Re-reads the file when another write replaced it since the last look.
  void refreshLocked() const {
    struct stat info {};
    FileIdentity current;
    if (::lstat(path_.c_str(), &info) == 0) current = FileIdentity::of(info);
    if (current == loaded_) return;

    LoadedFile file = loadFile(path_);
    if (file.state == FileState::Corrupt) {
      // Moving aside needs the writers' lock: without it a good file that a
      // writer has just renamed into place could be moved instead.
      WriterLock writers(lockPath_);
      if (writers.status()) {
        LoadedFile again = loadFile(path_);
        if (again.state == FileState::Corrupt && again.identity == file.identity) {
          moveAsideLocked(again);
        }
      } else {
        warn(path_ + " is corrupt (" + file.problem + "); reading it as empty");
      }
      file = loadFile(path_);
      current = file.identity;
    }
    if (file.state == FileState::Dictionary) {
      cache_ = std::move(file.dictionary);
    } else {
      cache_.reset(plist_new_dict());
      if (file.state == FileState::Unreadable) {
        warn(path_ + ": " + file.problem + "; reading it as empty");
      }
    }
    // An unopenable entry has no identity of its own; remember what lstat saw
    // so that it is not read, and warned about, again until it changes.
    loaded_ = file.identity.exists ? file.identity : current;
  }

  // Keeps a corrupt file under a name of its own and never replaces another.
  bool moveAsideLocked(const LoadedFile& file) const {
    const std::string base = path_ + ".corrupt-" + timestamp();
    for (int attempt = 0; attempt < 1000; ++attempt) {
      const std::string target = attempt == 0 ? base : base + "-" + std::to_string(attempt);
      const Status status = atomicfile::renameWithoutReplacing(path_, target);
      if (status) {
        warn(path_ + " is corrupt (" + file.problem + "); moved it to " + target +
             " and starting empty");
        return true;
      }
      if (status.code() != EEXIST) {
        warn(path_ + " is corrupt (" + file.problem +
             ") and cannot be moved aside: " + status.message());
        return false;
      }
    }
    warn(path_ + " is corrupt (" + file.problem + ") and no free name was found to move it to");
    return false;
  }

  void write(const std::string& key, PlistPtr value) {
    std::lock_guard lock(mutex_);
    const Status status = writeLocked(key, std::move(value));
    if (!status) {
      writeFailed_ = true;
      warn("cannot save \"" + key + "\" in " + path_ + ": " + status.message());
    }
  }

  Status writeLocked(const std::string& key, PlistPtr value) {
    if (!value) return Status::error("cannot build the value");
    if (Status made = atomicfile::makeFolders(folder_, kFolderMode); !made) return made;
    WriterLock writers(lockPath_);
    if (!writers.status()) return writers.status();

    // Start from what is on disk now, so other processes' keys are kept.
    LoadedFile file = loadFile(path_);
    if (file.state == FileState::Corrupt) {
      // Replacing a corrupt file that could not be kept would destroy it.
      if (!moveAsideLocked(file)) return Status::error("the corrupt file could not be kept");
      file = loadFile(path_);
    }
    if (file.state == FileState::Corrupt || file.state == FileState::Unreadable) {
      return Status::error(file.problem);
    }
    if (file.state == FileState::Missing) file.dictionary.reset(plist_new_dict());

    plist_dict_set_item(file.dictionary.get(), key.c_str(), value.release());
    auto bytes = plistio::toBinary(file.dictionary.get());
    if (!bytes) return Status::error("cannot serialize the settings");
    // On failure the cache stays as it was; the next read sees the file as it is.
    if (Status written = atomicfile::replaceFile(path_, *bytes, kFileMode); !written) {
      return written;
    }

    struct stat info {};
    if (::lstat(path_.c_str(), &info) == 0) {
      cache_ = std::move(file.dictionary);
      loaded_ = FileIdentity::of(info);
    }
    return Status::ok();
  }

  const std::string folder_;
  const std::string path_;
  const std::string lockPath_;
  mutable std::mutex mutex_;
  // The dictionary last read or written, and the file version it came from.
  mutable PlistPtr cache_;       // guarded by mutex_
  mutable FileIdentity loaded_;  // guarded by mutex_
  bool writeFailed_ = false;     // guarded by mutex_
};

}  // namespace

std::string settingsFolder() { return configHome() + "/vimbrel"; }

std::unique_ptr<SettingsStore> openPlistSettingsStore(const std::string& folder,
                                                      const std::string& domain) {
  return std::make_unique<PlistSettingsStore>(folder, domain);
}

}  // namespace vimbrel
