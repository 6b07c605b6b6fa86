#pragma once

#include <QIcon>
#include <QStringList>

namespace vimbrel {

// The first of `names` that the icon theme has, each tried in its symbolic
// form ("folder-symbolic") before the full-colour one. A symbolic icon is
// drawn in the text colour of the application's palette at the moment it is
// painted, so it reads on a light and on a dark window alike, and stays
// sharp at every size (the theme's scalable picture is used where there is
// one). Null when the theme has none of the names.
QIcon symbolicThemeIcon(const QStringList& names);

}  // namespace vimbrel
