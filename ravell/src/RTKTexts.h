#pragma once

#include <QPixmap>
#include <QString>
#include <optional>

namespace vimbrel {

// Texts and hand-overs of the prompt windows.
namespace rtktexts {

// The translation of an English text (the key) from the framework's Qt
// translation files ("RavellMAS_<locale>.qm" in the framework's resources or
// in $RAVELL_TRANSLATIONS), or the English text itself.
QString tr(const char* english);
// tr() with the host's name in place of "%@".
QString trWithAppName(const char* english);

// The host's own settings store (its standard defaults), through which a
// presenter hands a window its message ("RVLTmpMessage") and title
// ("RVLTmpTitle").
void handOver(const QString& message, const std::optional<QString>& title);
QString handedMessage();
QString handedTitle();

// The host's application icon, or a neutral one when it has none.
QPixmap applicationIcon(int size);

}  // namespace rtktexts
}  // namespace vimbrel
