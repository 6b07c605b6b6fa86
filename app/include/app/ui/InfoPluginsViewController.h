#pragma once

#include "app/ui/InfoViewController.h"

namespace vimbrel {

// The popover "MorePlugins" of the plug-in list.
class InfoPluginsViewController : public InfoViewController {
 public:
  explicit InfoPluginsViewController(AppDelegate& delegate, QWidget* parent = nullptr);
};

}  // namespace vimbrel
