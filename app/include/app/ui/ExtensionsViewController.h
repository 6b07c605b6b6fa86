#pragma once

#include <QCoreApplication>
#include "app/ui/Page.h"

class QLabel;

namespace vimbrel {

class AppDelegate;

// The extensions hub ("Extensions"): leads to the plug-in, preference-pane
// and Safari-extension lists.
class ExtensionsViewController : public Page {
 public:
  Q_DECLARE_TR_FUNCTIONS(ExtensionsViewController)

 public:
  explicit ExtensionsViewController(AppDelegate& delegate, QWidget* parent = nullptr);

  void back_to_home_viewcontroller();
  void plugins();
  void preference_panes();
  void sfari_extensions();

 private:
  AppDelegate& delegate_;
  QLabel* plugins_image_ = nullptr;
  QLabel* safari_image_ = nullptr;
};

}  // namespace vimbrel
