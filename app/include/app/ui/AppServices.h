#pragma once

#include <functional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/FolderChooser.h"
#include "platform/LoginItem.h"
#include "platform/SettingsStore.h"
#include "platform/ui/FileViewer.h"
#include "platform/ui/IconProvider.h"
#include "platform/ui/SoundPlayer.h"
#include "platform/ui/UrlOpener.h"

namespace vimbrel {

// What the windows need of the desktop and the file system. A null service is
// replaced by the desktop's own when the delegate starts; tests hand in the
// doubles they need.
struct AppServices {
  const FileSystem* fileSystem = nullptr;
  FolderChooser* folderChooser = nullptr;  // null: the desktop panel over the main window
  FileViewer* fileViewer = nullptr;
  UrlOpener* urlOpener = nullptr;
  IconProvider* icons = nullptr;
  SoundPlayer* sounds = nullptr;
  // True when an application whose identifier contains the given one runs.
  std::function<bool(const std::string&)> isRunning;
  // Asks the application to quit (normal termination, which may not happen).
  std::function<void()> terminate;
  // Ends the process at once with a status.
  std::function<void(int)> endProcess;
  // Asks the analytics framework for its e-mail subscription prompt with a
  // schedule and a message; null: the framework's own, when it was started.
  std::function<void(const std::string& schedule, const std::string& message)> emailPrompt;
  // The shared suite the agent reads; null: the one in the settings folder.
  SettingsStore* sharedSettings = nullptr;
  // The agent's own settings, with its folder grants; null: the agent's
  // store in the settings folder.
  SettingsStore* agentSettings = nullptr;
  // The agent as a login item; null: the agent program installed beside this one.
  LoginItem* loginItem = nullptr;
  // The login name the home folder must carry, and where the home panel starts.
  std::string loginName;
  std::string homeFolder;
};

}  // namespace vimbrel
