#pragma once

#include <QMainWindow>

namespace vimbrel {

class AppDelegate;
class ViewController;

// The main window (its controller and the window itself): white, with the
// application's icon, movable by dragging its background.
class MainWindow : public QMainWindow {
 public:
  explicit MainWindow(AppDelegate& delegate);
  ViewController* viewController() const { return viewController_; }

 protected:
  void showEvent(QShowEvent* event) override;
  // While a page removes, the window stays until the removal has ended.
  void closeEvent(QCloseEvent* event) override;

 private:
  AppDelegate& delegate_;
  ViewController* viewController_;
};

}  // namespace vimbrel
