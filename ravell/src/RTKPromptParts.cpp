#include "RTKPromptParts.h"

#include <QGuiApplication>

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "RTKTexts.h"
#include "RTKTransparentWindow.h"
#include "RVLDragThroughImageView.h"

namespace vimbrel::rtkparts {

void name(QWidget* widget, const QString& objectName, const QString& accessibleName) {
  widget->setObjectName(objectName);
  widget->setAccessibleName(accessibleName);
}

RTKTransparentWindow* makeWindow(const QString& objectName, QVBoxLayout** column,
                                 QToolButton** closeButton) {
  auto* window = new RTKTransparentWindow();
  // Named after the program until the prompt's title names it better: a
  // screen reader reads the window's title, never its class.
  const QString programName = QGuiApplication::applicationDisplayName();
  name(window, objectName, programName);
  window->setWindowTitle(programName);
  auto* content = new QWidget();
  content->setObjectName(QStringLiteral("contentView"));
  content->setFixedWidth(kWindowWidth);
  auto* outer = new QVBoxLayout(content);
  outer->setContentsMargins(8, 8, 8, 22);
  outer->setSpacing(0);

  auto* top = new QHBoxLayout();
  top->addStretch();
  auto* close = new QToolButton(content);
  name(close, QStringLiteral("close"), rtktexts::tr("Close"));
  close->setText(QStringLiteral("\u00d7"));
  close->setAutoRaise(true);
  close->setCursor(Qt::PointingHandCursor);
  close->setFixedSize(22, 22);
  close->setStyleSheet(QStringLiteral(
      "QToolButton { border: none; border-radius: 11px; color: #8a8a8a; font-size: 16px; }"
      "QToolButton:hover { background: #ececec; color: #4a4a4a; }"));
  top->addWidget(close);
  outer->addLayout(top);

  auto* inner = new QVBoxLayout();
  inner->setContentsMargins(22, 0, 22, 0);
  inner->setSpacing(12);
  outer->addLayout(inner);
  window->setContentView(content);
  *column = inner;
  *closeButton = close;
  return window;
}

QLabel* makeIcon(QWidget* parent) {
  auto* icon = new RVLDragThroughImageView(parent);
  name(icon, QStringLiteral("icon"), rtktexts::tr("Application icon"));
  QPixmap pixmap = rtktexts::applicationIcon(128);
  pixmap.setDevicePixelRatio(2);
  icon->setPixmap(pixmap);
  icon->setFixedHeight(68);
  return icon;
}

QLabel* makeTitle(const QString& text, QWidget* parent) {
  auto* title = new QLabel(text, parent);
  name(title, QStringLiteral("title"), text);
  if (QWidget* window = parent->window(); window != parent) {
    window->setWindowTitle(text);
    window->setAccessibleName(text);
  }
  QFont font = title->font();
  font.setBold(true);
  font.setPointSizeF(15);
  title->setFont(font);
  title->setAlignment(Qt::AlignCenter);
  title->setWordWrap(true);
  return title;
}

QLabel* makeMessage(const QString& text, QWidget* parent) {
  auto* message = new QLabel(text, parent);
  name(message, QStringLiteral("message"), text);
  message->setAlignment(Qt::AlignCenter);
  message->setWordWrap(true);
  QPalette palette = message->palette();
  palette.setColor(QPalette::WindowText, QColor(0x55, 0x55, 0x55));
  message->setPalette(palette);
  return message;
}

}  // namespace vimbrel::rtkparts
