#pragma once

#include <optional>
#include <string>

namespace vimbrel {

// What an access sheet asks of the folder panel.
struct FolderPanelOptions {
  std::string title;           // empty: the panel has no title
  std::string prompt;          // the text of the confirming button
  std::string startingFolder;  // the folder the panel shows first
};

// Runs a modal, floating open panel that chooses one folder: no files, no
// multiple selection, hidden files not shown. The windows implement it with a
// real panel; tests answer with a folder of their own.
class FolderChooser {
 public:
  virtual ~FolderChooser() = default;
  // The chosen folder's path, or nothing when the user cancelled.
  virtual std::optional<std::string> chooseFolder(const FolderPanelOptions& options) = 0;
};

}  // namespace vimbrel
