#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QIcon>
#include <QString>
#include <cstdint>

class QLabel;
class QPushButton;
class QWidget;

namespace vimbrel::ui {

// The colours of the pages.
namespace colors {
inline const QColor kRowText{76, 76, 76};
inline const QColor kRowTextSelected{8, 121, 253};
inline const QColor kSelectionStart{0, 89, 228};
inline const QColor kSelectionEnd{0, 148, 239};
inline const QColor kSeparator{212, 212, 213};
inline const QColor kSecondaryText{134, 134, 139};
inline const QColor kWindow{255, 255, 255};
inline const QColor kPanel{246, 246, 248};
}  // namespace colors

// Row heights of the lists.
inline constexpr int kApplicationRowHeight = 52;
inline constexpr int kGroupRowHeight = 20;
inline constexpr int kFileRowHeight = 40;

// A button with the pages' rounded, translucent dark bezel and white title.
void makeRoundButton(QPushButton* button);
// A button whose look is the accent colour (the page's main action).
void makeAccentButton(QPushButton* button);
// A flat button that only shows an icon; `accessibleName` says what it does.
void makeIconButton(QPushButton* button, const QIcon& icon, const QString& accessibleName);
// A large page title and a secondary line of text.
QLabel* titleLabel(const QString& text, QWidget* parent, int pointSizeDelta = 9);
QLabel* secondaryLabel(const QString& text, QWidget* parent);

// A byte count as the pages show it ("1.2 MB").
QString sizeText(std::uint64_t bytes);

// The application's own icon, drawn in code so that it is sharp at every scale.
QIcon applicationIcon();
QPixmap applicationPixmap(int size);
// Three bars: the icon of the application menu.
QIcon menuIcon();

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
