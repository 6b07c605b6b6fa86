#include "platform/ui/GlobalShortcut.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QPointer>
#include <QShortcut>
#include <QWidget>
#include <vector>

namespace vimbrel {

namespace {

// A shortcut of one window.
class WindowShortcut final : public GlobalShortcut {
 public:
  WindowShortcut(QWidget* window, const QKeySequence& keys, std::function<void()> action)
      : shortcut_(new QShortcut(keys, window)) {
    shortcut_->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut_, &QShortcut::activated, shortcut_, std::move(action));
  }
  ~WindowShortcut() override { delete shortcut_.data(); }
  WindowShortcut(const WindowShortcut&) = delete;
  WindowShortcut& operator=(const WindowShortcut&) = delete;
  bool isSystemWide() const override { return false; }

 private:
  QPointer<QShortcut> shortcut_;
};

constexpr std::uint16_t kIgnoredModifiers = XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2;

// A key grab on the X11 root window; key presses arrive through a native
// event filter on the main thread.
class X11Shortcut final : public GlobalShortcut, public QAbstractNativeEventFilter {
 public:
  X11Shortcut(xcb_connection_t* connection, xcb_window_t root, std::function<void()> action)
      : connection_(connection), root_(root), action_(std::move(action)) {}
  ~X11Shortcut() override {
    QCoreApplication::instance()->removeNativeEventFilter(this);
    for (xcb_keycode_t code : keycodes_) {
      for (std::uint16_t extra : extras()) {
        xcb_ungrab_key(connection_, code, root_, static_cast<std::uint16_t>(modifiers_ | extra));
      }
    }
    xcb_flush(connection_);
  }
  X11Shortcut(const X11Shortcut&) = delete;
  X11Shortcut& operator=(const X11Shortcut&) = delete;

  bool grab(xcb_keysym_t keysym, std::uint16_t modifiers) {
    modifiers_ = modifiers;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection_);
    if (symbols == nullptr) return false;
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
    xcb_key_symbols_free(symbols);
    if (codes == nullptr) return false;
    for (xcb_keycode_t* code = codes; *code != XCB_NO_SYMBOL; ++code) keycodes_.push_back(*code);
    free(codes);
    bool ok = !keycodes_.empty();
    for (xcb_keycode_t code : keycodes_) {
      for (std::uint16_t extra : extras()) {
        xcb_void_cookie_t cookie = xcb_grab_key_checked(
            connection_, 1, root_, static_cast<std::uint16_t>(modifiers | extra), code,
            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        // BadAccess: another client holds this combination already.
        if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
          free(error);
          ok = false;
        }
      }
    }
    if (ok) QCoreApplication::instance()->installNativeEventFilter(this);
    return ok;
  }

  bool isSystemWide() const override { return true; }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS) return false;
    auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
    const std::uint16_t state = press->state & static_cast<std::uint16_t>(~kIgnoredModifiers);
    if (state != modifiers_) return false;
    for (xcb_keycode_t code : keycodes_) {
      if (code == press->detail) {
        action_();
        return true;
      }
    }
    return false;
  }

 private:
  static std::vector<std::uint16_t> extras() {
    return {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
  }

  xcb_connection_t* connection_;
  xcb_window_t root_;
  std::function<void()> action_;
  std::uint16_t modifiers_ = 0;
  std::vector<xcb_keycode_t> keycodes_;
};

// The X11 modifier mask and letter keysym of `keys`; false when it is not
// modifiers plus one letter.
bool x11Combination(const QKeySequence& keys, std::uint16_t& modifiers, xcb_keysym_t& keysym) {
  if (keys.count() != 1) return false;
  const QKeyCombination combination = keys[0];
  const int key = static_cast<int>(combination.key());
  if (key < Qt::Key_A || key > Qt::Key_Z) return false;
  keysym = static_cast<xcb_keysym_t>('a' + (key - Qt::Key_A));
  const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
  modifiers = 0;
  if (mods & Qt::ControlModifier) modifiers |= XCB_MOD_MASK_CONTROL;
  if (mods & Qt::AltModifier) modifiers |= XCB_MOD_MASK_1;
  if (mods & Qt::ShiftModifier) modifiers |= XCB_MOD_MASK_SHIFT;
  if (mods & Qt::MetaModifier) modifiers |= XCB_MOD_MASK_4;
  return true;
}

}  // namespace

std::unique_ptr<GlobalShortcut> createGlobalShortcut(QWidget* window, const QKeySequence& keys,
                                                     std::function<void()> action) {
  if (QGuiApplication::platformName() == "xcb") {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    std::uint16_t modifiers = 0;
    xcb_keysym_t keysym = 0;
    if (x11 != nullptr && x11->connection() != nullptr && x11Combination(keys, modifiers, keysym)) {
      xcb_connection_t* connection = x11->connection();
      const xcb_setup_t* setup = xcb_get_setup(connection);
      xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
      if (screens.rem > 0) {
        auto grab = std::make_unique<X11Shortcut>(connection, screens.data->root, action);
        if (grab->grab(keysym, modifiers)) return grab;
      }
    }
  }
  return std::make_unique<WindowShortcut>(window, keys, std::move(action));
}

}  // namespace vimbrel
