#pragma once

#include <string>

namespace vimbrel {

// Which image a review row shows for a location, decided by tests on its path
// in a fixed order where each later match wins.
struct RemainderIcon {
  enum class Kind {
    CellDefault,      // a folder no test matched: the cell's own folder image
    GenericDocument,  // the icon of a plain document
    ApplicationIcon,  // the icon of the application under review
    Preferences,      // the application's preferences image
    FileType,         // the icon of the file type in `type`
    LaunchAgent,      // the application's launch-agent image
    OwnIcon,          // the file's own icon
  };
  Kind kind = Kind::CellDefault;
  std::string type;
  bool operator==(const RemainderIcon&) const = default;
};

RemainderIcon remainderIcon(const std::string& path, bool isDirectory);

}  // namespace vimbrel
