#include "spider/QtAgentWindows.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <memory>

#include "platform/ui/WindowMover.h"
#include "spider/LikeAppViewController.h"
#include "spider/SpiderOptionalViewController.h"
#include "spider/SpiderSandboxViewController.h"

namespace vimbrel::spider {

namespace {

// `a` moved towards `b` by `amount`.
QColor mix(const QColor& a, const QColor& b, double amount) {
  const auto channel = [amount](int from, int to) {
    return static_cast<int>(from + (to - from) * amount + 0.5);
  };
  return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()),
                channel(a.blue(), b.blue()));
}

QString css(const QColor& colour) { return colour.name(QColor::HexArgb); }

// A window laid out as the application's sheets are: the program's icon on
// the left, a title, the message, and the buttons at the bottom right. Its
// colours come from the palette; Esc closes it; dragging its background moves it.
QWidget* makeWindow(const char* name, const QString& title, const QString& message,
                    QVBoxLayout*& layout) {
  auto* window = new QWidget(nullptr, Qt::Window);
  window->setObjectName(name);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(title);
  const QPalette palette = QApplication::palette();
  const QColor base = palette.color(QPalette::Base);
  const QColor text = palette.color(QPalette::Text);
  QPalette own = window->palette();
  own.setColor(QPalette::Window, base);
  own.setColor(QPalette::WindowText, text);
  window->setPalette(own);
  window->setAutoFillBackground(true);

  QIcon icon = QIcon::fromTheme("com.Orvik.Seltan.Vimbrel", QApplication::windowIcon());
  window->setWindowIcon(icon);
  auto* image = new QLabel(window);
  image->setObjectName("image");
  image->setPixmap(icon.pixmap(64, 64));
  image->setFixedSize(64, 64);
  auto* heading = new QLabel(title, window);
  heading->setObjectName("title");
  heading->setWordWrap(true);
  QFont font = heading->font();
  font.setPointSizeF(font.pointSizeF() + 4);
  font.setWeight(QFont::DemiBold);
  heading->setFont(font);
  auto* body = new QLabel(message, window);
  body->setObjectName("text");
  body->setWordWrap(true);
  QPalette secondary = body->palette();
  secondary.setColor(QPalette::WindowText, mix(base, text, 0.65));
  body->setPalette(secondary);

  layout = new QVBoxLayout;
  layout->setSpacing(8);
  layout->addWidget(heading);
  layout->addWidget(body);
  layout->addSpacing(8);
  auto* left = new QVBoxLayout;
  left->addWidget(image);
  left->addStretch();
  auto* top = new QHBoxLayout(window);
  top->setContentsMargins(24, 22, 24, 20);
  top->setSpacing(18);
  top->addLayout(left);
  top->addLayout(layout, 1);
  window->setMinimumWidth(460);
  window->setMaximumWidth(560);

  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
  QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
  enableBackgroundDrag(window);
  return window;
}

// A button of the window: the primary one in the accent colour, the others
// with a neutral bezel. Secondary buttons go to the left of the primary one.
QPushButton* addButton(QWidget* window, QVBoxLayout* layout, const char* name, const QString& label,
                       bool primary = false) {
  auto* button = new QPushButton(label, window);
  button->setObjectName(name);
  button->setCursor(Qt::PointingHandCursor);
  button->setMinimumHeight(32);
  const QPalette palette = QApplication::palette();
  const QColor base = palette.color(QPalette::Base);
  const QColor text = palette.color(QPalette::Text);
  if (primary) {
    button->setDefault(true);
    button->setStyleSheet(
        QString("QPushButton { background: rgb(0,98,214); color: white; font-weight: 600;"
                " border: 2px solid transparent; border-radius: 6px; padding: 5px 18px; }"
                "QPushButton:pressed { background: rgb(0,76,180); }"
                "QPushButton:disabled { background: %1; color: %2; }"
                "QPushButton:focus { border: 2px solid %3; }")
            .arg(css(mix(base, text, 0.06)), css(mix(base, text, 0.6)), css(text)));
  } else {
    button->setStyleSheet(
        QString("QPushButton { background: %1; color: %2; font-weight: 600;"
                " border: 2px solid transparent; border-radius: 6px; padding: 5px 18px; }"
                "QPushButton:pressed { background: %3; }"
                "QPushButton:disabled { color: %4; }"
                "QPushButton:focus { border: 2px solid rgb(0,110,235); }")
            .arg(css(mix(base, text, 0.1)), css(text), css(mix(base, text, 0.2)),
                 css(mix(base, text, 0.6))));
  }
  // One row of buttons at the bottom, right-aligned, created on the first button.
  auto* row = window->findChild<QHBoxLayout*>("buttons");
  if (row == nullptr) {
    row = new QHBoxLayout;
    row->setObjectName("buttons");
    row->setSpacing(8);
    row->addStretch();
    layout->addLayout(row);
  }
  if (primary) {
    row->addWidget(button);
  } else {
    row->insertWidget(1, button);
  }
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
      "Sandbox", QObject::tr("Vimbrel Spider needs access to your folders"),
      QObject::tr("Vimbrel Spider cleans up after the applications you move to the Trash. Allow "
                  "it to read your home folder and the Applications folder, where it checks "
                  "that an application is really gone. It starts watching at its next start."),
      layout);
  QPushButton* applications = addButton(window, layout, "allowApplicationsButton",
                                        QObject::tr("Allow Applications Folder"), true);
  QPushButton* home =
      addButton(window, layout, "allowHomeButton", QObject::tr("Allow Home Folder"), true);
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
      "SpiderOptional", QObject::tr("Search the whole disk too"),
      QObject::tr("Allow Vimbrel Spider to read the whole volume, to also clean the system "
                  "folders."),
      layout);
  QPushButton* close = addButton(window, layout, "closeButton", QObject::tr("Close"));
  QObject::connect(close, &QPushButton::clicked, window, &QWidget::close);
  QPushButton* button =
      addButton(window, layout, "macOSButton", QObject::tr("Allow Whole Disk"), true);
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
  QWidget* window = makeWindow("LikeApp", QObject::tr("Enjoying Vimbrel Spider?"),
                               QString::fromStdString(controller->text()), layout);
  window->setWindowFlag(Qt::WindowStaysOnTopHint);
  QPushButton* yes = addButton(window, layout, "yesButton", QObject::tr("Yes, Rate It"), true);
  QPushButton* done = addButton(window, layout, "alradyDoneButton", QObject::tr("Already Done"));
  QPushButton* cancel = addButton(window, layout, "cancelButton", QObject::tr("Not Now"));
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
