#pragma once

#include <string>
#include <vector>

namespace vimbrel::spider {

// The desktop's file viewer.
class FileViewer {
 public:
  virtual ~FileViewer() = default;
  // Opens the file viewer on the given locations with them selected.
  virtual void activateFileViewerSelectingURLs(const std::vector<std::string>& paths) = 0;
};

}  // namespace vimbrel::spider
