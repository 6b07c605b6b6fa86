#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QIcon>
#include <QLabel>
#include <QPalette>
#include <QString>
#include <cstdint>

class QApplication;
class QPushButton;
class QWidget;

namespace vimbrel::ui {

// The colours of the pages, each derived from the application's palette so
// that the window follows a light or a dark desktop scheme.
namespace colors {

enum class Role {
  Window,           // the pages' background (the palette's base)
  Panel,            // a raised area on the page: drop target, tiles, toolbars
  PrimaryText,      // titles
  RowText,          // the text of list rows
  RowTextSelected,  // the accent colour as text on the page
  SecondaryText,    // explanations, counts, folders
  Separator,        // hairlines between rows
  SelectionStart,   // the accent gradient, top
  SelectionEnd,     // the accent gradient, bottom
  Hover,            // a faint wash under the pointer
  AccentWash,       // a faint accent wash: selected rows, hovered tiles
};

QColor color(Role role, const QPalette& palette);
// The colour of `role` in the application's current palette.
QColor color(Role role);

// The roles' colours as plain colours, as the pages paint with them
// (`painter.setPen(colors::kRowText)`). They hold the light scheme's values
// until refreshColors() reads the application's palette; useColorScheme()
// and a change of the application's palette refresh them.
inline QColor kRowText{76, 76, 76};
inline QColor kRowTextSelected{8, 110, 235};
inline QColor kSelectionStart{0, 89, 228};
inline QColor kSelectionEnd{0, 148, 239};
inline QColor kSeparator{212, 212, 212};
inline QColor kSecondaryText{102, 102, 102};
inline QColor kWindow{255, 255, 255};
inline QColor kPanel{246, 246, 246};
inline QColor kPrimaryText{20, 20, 20};
inline QColor kHover{0, 0, 0, 10};
inline QColor kAccentWash{8, 110, 235, 24};
void refreshColors(const QPalette& palette);

// "rgba(r,g,b,a)" for style sheets.
QString css(const QColor& colour);
QString css(Role role);

}  // namespace colors

// Light or dark: which the palette is.
bool isDark(const QPalette& palette);
enum class ColorScheme { Desktop, Light, Dark };
// Makes the application's palette follow `scheme`: the desktop's own palette,
// or a light or dark one of ours (the tour and the tests pick one).
void useColorScheme(ColorScheme scheme);

// Loads the window's translation for the user's language (and Qt's own,
// where installed) into the application.
void installTranslations();

// Row heights of the lists.
inline constexpr int kApplicationRowHeight = 52;
inline constexpr int kGroupRowHeight = 20;
inline constexpr int kFileRowHeight = 40;

// A button with the pages' rounded, translucent bezel.
void makeRoundButton(QPushButton* button);
// A button whose look is the accent colour (the page's main action).
void makeAccentButton(QPushButton* button);
// A flat button that only shows an icon; `accessibleName` says what it does.
void makeIconButton(QPushButton* button, const QIcon& icon, const QString& accessibleName);
// A text field of the pages (the filters).
void makeSearchField(QWidget* field);
// A large page title and a secondary line of text.
QLabel* titleLabel(const QString& text, QWidget* parent, int pointSizeDelta = 9);
QLabel* secondaryLabel(const QString& text, QWidget* parent);

// Esc and Ctrl+W close `window` (Preferences, About).
void addCloseShortcuts(QWidget* window);

// A byte count as the pages show it ("1.2 MB").
QString sizeText(std::uint64_t bytes);

// A path shortened in the middle to fit `width` pixels, so that the start of
// the path and the name at its end both stay readable.
QString elidedPath(const QString& path, const QFontMetrics& metrics, int width);

// A one-line label that shortens its text in the middle when it has too
// little room; the whole text is then its tooltip.
class ElidedLabel : public QLabel {
 public:
  explicit ElidedLabel(const QString& text = {}, QWidget* parent = nullptr);
  void setFullText(const QString& text);
  const QString& fullText() const { return full_; }
  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void elide();
  QString full_;
  QString spokenName_;
};

// The application's own icon: the icon theme's, else the shipped files,
// else drawn in code so that it is sharp at every scale.
QIcon applicationIcon();
QPixmap applicationPixmap(int size);
// The icon of the application menu.
QIcon menuIcon();
// A symbolic icon of the theme, drawn in the palette's text colour: the first
// of `names` that the theme has (each tried with "-symbolic" first).
QIcon symbolicIcon(const QStringList& names);

// An on/off switch: a pill with a sliding knob, blue when on. Keyboard:
// Space toggles it, as any check box.
class ToggleSwitch : public QAbstractButton {
 public:
  explicit ToggleSwitch(QWidget* parent = nullptr);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace vimbrel::ui
