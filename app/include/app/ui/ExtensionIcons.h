#pragma once

#include <QIcon>
#include <QPixmap>

namespace vimbrel::ui {

// The pictures of the extension pages, drawn in code so that they are sharp
// at every scale and look the same on every desktop.
QPixmap pluginPixmap(int size);           // a plug-in: a puzzle piece on a violet tile
QPixmap prefPanePixmap(int size);         // a preference pane: sliders on a grey tile
QPixmap compassPixmap(int size);          // Safari: a compass
QPixmap safariExtensionPixmap(int size);  // a Safari extension: the compass with a piece

// The same as icons, drawn for the sizes rows and tiles use.
QIcon pluginIcon();
QIcon prefPaneIcon();
QIcon safariExtensionIcon();

}  // namespace vimbrel::ui
