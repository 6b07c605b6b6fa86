#pragma once

#include <string>
#include <vector>

namespace vimbrel {

// Shows locations selected in the desktop's file manager.
class FileViewer {
 public:
  virtual ~FileViewer() = default;
  // Opens one file-manager window with every location of `paths` selected.
  virtual void reveal(const std::vector<std::string>& paths) = 0;
};

// Asks the file manager over D-Bus (org.freedesktop.FileManager1.ShowItems).
// When no file manager answers, opens the folder that holds the first
// location instead: the folder shows, though the item cannot be selected.
class FreedesktopFileViewer final : public FileViewer {
 public:
  void reveal(const std::vector<std::string>& paths) override;
};

}  // namespace vimbrel
