#pragma once

#include <QWidget>

namespace vimbrel {

// A page of the main window's container.
class Page : public QWidget {
 public:
  using QWidget::QWidget;
  // Called once the page is in the window and the window shows.
  virtual void viewDidAppear() {}
  // True while the page runs work that closing the window must wait for.
  virtual bool busy() const { return false; }
};

}  // namespace vimbrel
