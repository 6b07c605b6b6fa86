#include "RTKTransparentWindow.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QWindow>

#ifdef RAVELL_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace vimbrel {

bool RTKTransparentWindow::desktopComposites() {
  const QString platform = QGuiApplication::platformName();
  // Wayland always composites; the off-screen platform keeps alpha in its images.
  if (platform.startsWith(QLatin1String("wayland")) || platform == QLatin1String("offscreen")) {
    return true;
  }
#ifdef RAVELL_HAVE_XCB
  if (platform == QLatin1String("xcb")) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) return false;
    // A compositing manager owns the selection _NET_WM_CM_S<screen>.
    const QByteArray name = QByteArrayLiteral("_NET_WM_CM_S0");
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()),
        nullptr);
    if (!atom) return false;
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool composites = owner && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return composites;
  }
#endif
  return false;
}

RTKTransparentWindow::RTKTransparentWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), translucent_(desktopComposites()) {
  setModal(true);
  if (translucent_) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
  }
  auto* layout = new QVBoxLayout(this);
  const int margin = translucent_ ? kShadowMargin : 1;
  layout->setContentsMargins(margin, margin, margin, margin);
  layout->setSpacing(0);
}

void RTKTransparentWindow::setContentView(QWidget* content) {
  if (content_) {
    layout()->removeWidget(content_);
    delete content_;
  }
  content_ = content;
  content_->setParent(this);
  layout()->addWidget(content_);
}

QRectF RTKTransparentWindow::panelRect() const {
  const qreal margin = translucent_ ? kShadowMargin : 0;
  return QRectF(rect()).adjusted(margin, margin, -margin, -margin);
}

void RTKTransparentWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor background = palette().color(QPalette::Window);
  if (!translucent_) {
    painter.fillRect(rect(), background);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    return;
  }
  // The shadow: faint rings, one pixel apart, that add up to a soft shade
  // at the panel's edge and fade out at the margin; a little lower than the
  // panel, as light from above would cast it.
  const QRectF panel = panelRect();
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 7));
  for (int spread = kShadowMargin - 1; spread >= 1; --spread) {
    painter.drawRoundedRect(panel.adjusted(-spread, -spread + 2, spread, spread + 2),
                            kPanelRadius + spread, kPanelRadius + spread);
  }
  painter.setBrush(background);
  painter.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
  painter.drawRoundedRect(panel, kPanelRadius, kPanelRadius);
}

void RTKTransparentWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    // Let the window system move it when it can; otherwise move it ourselves.
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
  }
  QDialog::mousePressEvent(event);
}

void RTKTransparentWindow::mouseMoveEvent(QMouseEvent* event) {
  if (dragOffset_ && (event->buttons() & Qt::LeftButton)) {
    move(event->globalPosition().toPoint() - *dragOffset_);
    return;
  }
  QDialog::mouseMoveEvent(event);
}

void RTKTransparentWindow::mouseReleaseEvent(QMouseEvent* event) {
  dragOffset_.reset();
  QDialog::mouseReleaseEvent(event);
}

}  // namespace vimbrel
