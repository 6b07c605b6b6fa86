#pragma once

#include <string>

#include "platform/SettingsStore.h"

namespace vimbrel::spider {

// An exclusive flock held for the lifetime of the object.
class FileLock {
 public:
  enum class Wait { Block, DoNot };
  FileLock(const std::string& path, Wait wait);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// Where the agent's single-instance lock lives: $XDG_RUNTIME_DIR when it is
// set and a folder, otherwise the agent's settings folder (which exists
// without a session, as under cron or ssh).
std::string singleInstanceLockPath(const std::string& settingsFolder);

// Raises "remove_app_count" by one. Cleanings overlap, and so may two agents
// (or an agent and a command), so the read and the write happen under one
// lock across processes: the flock on `lockFile`. Without a lock file only
// the cleanings of this process are kept apart.
void raiseRemoveCount(SettingsStore& store, const std::string& lockFile);

}  // namespace vimbrel::spider
