#pragma once

#include "app/ui/InfoViewController.h"

namespace vimbrel {

// The popover "MorePrefpanes" of the preference-pane list.
class InfoPrefPanesViewController : public InfoViewController {
 public:
  explicit InfoPrefPanesViewController(AppDelegate& delegate, QWidget* parent = nullptr);
};

}  // namespace vimbrel
