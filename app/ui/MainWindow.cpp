#include "app/ui/MainWindow.h"

#include <QCloseEvent>
#include <QShowEvent>
#include <QTimer>

#include "app/ui/AppDelegate.h"
#include "app/ui/Page.h"
#include "app/ui/Style.h"
#include "app/ui/ViewController.h"

namespace vimbrel {

MainWindow::MainWindow(AppDelegate& delegate)
    : delegate_(delegate), viewController_(new ViewController(delegate, this)) {
  setObjectName("main_window");
  setWindowTitle("Vimbrel");
  setWindowIcon(ui::applicationIcon());
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, ui::colors::kWindow);
  setPalette(palette);
  setAutoFillBackground(true);
  setCentralWidget(viewController_);
  setMinimumSize(640, 480);
  resize(760, 540);
  // Closing the main window ends the application.
  setAttribute(Qt::WA_QuitOnClose, AppDelegate::applicationShouldTerminateAfterLastWindowClosed());
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) viewController_->viewWillAppear();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  Page* page = viewController_->currentPage();
  if (page != nullptr && page->busy()) {
    // A deletion is never abandoned halfway: close once it has ended.
    event->ignore();
    QTimer::singleShot(50, this, [this] { close(); });
    return;
  }
  QMainWindow::closeEvent(event);
}

}  // namespace vimbrel
