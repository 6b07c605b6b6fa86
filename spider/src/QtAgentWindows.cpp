#include "spider/QtAgentWindows.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "platform/ui/WindowMover.h"
#include "spider/LikeAppViewController.h"
#include "spider/SpiderOptionalViewController.h"
#include "spider/SpiderSandboxViewController.h"

namespace vimbrel::spider {

namespace {

// A small window that can be moved by dragging its background.
QWidget* makeWindow(const char* name, const QString& title, const QString& message,
                    QVBoxLayout*& layout) {
  auto* window = new QWidget(nullptr, Qt::Window);
  window->setObjectName(name);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(title);
  layout = new QVBoxLayout(window);
  auto* text = new QLabel(message, window);
  text->setObjectName("text");
  text->setWordWrap(true);
  layout->addWidget(text);
  enableBackgroundDrag(window);
  return window;
}

QPushButton* addButton(QWidget* window, QVBoxLayout* layout, const char* name,
                       const QString& label) {
  auto* button = new QPushButton(label, window);
  button->setObjectName(name);
  layout->addWidget(button);
  return button;
}

void bringToFront(QWidget* window) {
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace

QtAgentWindows::QtAgentWindows(SettingsStore& app_settings, std::string loginName,
                               std::string homeFolder, FolderChooser& chooser, UrlOpener& urlOpener)
    : app_settings_(app_settings),
      loginName_(std::move(loginName)),
      homeFolder_(std::move(homeFolder)),
      chooser_(chooser),
      urlOpener_(urlOpener) {}

QtAgentWindows::~QtAgentWindows() {
  for (QWidget* window :
       {windowcontrollerS_.data(), windowcontrollerU_.data(), windowcontrollerL_.data()}) {
    delete window;
  }
}

void QtAgentWindows::showSandbox() {
  if (windowcontrollerS_) return bringToFront(windowcontrollerS_);
  auto controller =
      std::make_shared<SpiderSandboxViewController>(app_settings_, loginName_, homeFolder_);
  controller->onLoad();
  QVBoxLayout* layout = nullptr;
  QWidget* window = makeWindow(
      "Sandbox", "Vimbrel Spider",
      "Vimbrel Spider cleans up after the applications you move to the Trash. Allow it to "
      "read your home folder and the Applications folder, where it checks that an "
      "application is really gone. It starts watching at its next start.",
      layout);
  QPushButton* home = addButton(window, layout, "allowHomeButton", "Allow home folder");
  QPushButton* applications =
      addButton(window, layout, "allowApplicationsButton", "Allow Applications folder");
  auto update = [controller, window, home, applications] {
    home->setEnabled(controller->allowHomeButtonEnabled());
    applications->setEnabled(controller->allowApplicationsButtonEnabled());
    if (controller->closeRequested()) window->close();
  };
  QObject::connect(home, &QPushButton::clicked, window, [this, controller, update] {
    controller->accessHome(chooser_);
    update();
  });
  QObject::connect(applications, &QPushButton::clicked, window, [this, controller, update] {
    controller->accessApplications(chooser_);
    update();
  });
  update();
  windowcontrollerS_ = window;
  bringToFront(window);
}

void QtAgentWindows::showSpiderOptional() {
  if (windowcontrollerU_) return bringToFront(windowcontrollerU_);
  auto controller = std::make_shared<SpiderOptionalViewController>(app_settings_);
  controller->onLoad();
  QVBoxLayout* layout = nullptr;
  QWidget* window = makeWindow(
      "SpiderOptional", "Vimbrel Spider",
      "Allow Vimbrel Spider to read the whole volume, to also clean the system folders.", layout);
  QPushButton* button = addButton(window, layout, "macOSButton", "Allow");
  button->setEnabled(controller->macOSButtonEnabled());
  QObject::connect(button, &QPushButton::clicked, window, [this, controller, button] {
    controller->macOSAllow(chooser_);
    button->setEnabled(controller->macOSButtonEnabled());
  });
  windowcontrollerU_ = window;
  bringToFront(window);
}

void QtAgentWindows::showLikeApp() {
  if (windowcontrollerL_) return bringToFront(windowcontrollerL_);
  auto controller = std::make_shared<LikeAppViewController>(app_settings_, urlOpener_);
  controller->onLoad();
  QVBoxLayout* layout = nullptr;
  QWidget* window =
      makeWindow("LikeApp", "Vimbrel Spider", QString::fromStdString(controller->text()), layout);
  window->setWindowFlag(Qt::WindowStaysOnTopHint);
  QPushButton* yes = addButton(window, layout, "yesButton", "Yes, rate it");
  QPushButton* done = addButton(window, layout, "alradyDoneButton", "Already done");
  QPushButton* cancel = addButton(window, layout, "cancelButton", "Not now");
  auto closeWhenAsked = [controller, window] {
    if (controller->closeRequested()) window->close();
  };
  QObject::connect(yes, &QPushButton::clicked, window, [controller, closeWhenAsked] {
    controller->yes();
    closeWhenAsked();
  });
  QObject::connect(done, &QPushButton::clicked, window, [controller, closeWhenAsked] {
    controller->alradyDone();
    closeWhenAsked();
  });
  QObject::connect(cancel, &QPushButton::clicked, window, [controller, closeWhenAsked] {
    controller->cancel();
    closeWhenAsked();
  });
  windowcontrollerL_ = window;
  bringToFront(window);
}

}  // namespace vimbrel::spider
