#pragma once

#include <memory>
#include <string>

namespace vimbrel {

// The private world of a screenshot tour: a generated demo home, and settings
// and data folders of its own, so the tour never reads or writes the user's.
class TourWorkspace {
 public:
  // Creates the output folder and the workspace, and points XDG_CONFIG_HOME
  // and XDG_DATA_HOME at the workspace. Call before the application object
  // exists. Nothing when a folder cannot be made (the reason is printed).
  static std::unique_ptr<TourWorkspace> create(const std::string& outputFolder);
  ~TourWorkspace();
  TourWorkspace(const TourWorkspace&) = delete;
  TourWorkspace& operator=(const TourWorkspace&) = delete;

  const std::string& output() const { return output_; }
  const std::string& root() const { return root_; }
  const std::string& settings() const { return settings_; }
  const std::string& loginName() const { return loginName_; }

 private:
  TourWorkspace() = default;
  std::string output_;
  std::string workspace_;
  std::string root_;
  std::string settings_;
  std::string loginName_;
};

// Drives the window through every page, sheet and popover and writes one PNG
// per identifier into the output folder. Returns 0 when every picture was
// taken; otherwise names the missing ones on standard error and returns 1.
int runTour(const TourWorkspace& workspace);

}  // namespace vimbrel
