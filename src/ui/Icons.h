#pragma once
// Icons from the freedesktop icon theme, with Breeze and then Adwaita
// standing in when the desktop sets no theme of its own.

#include <QIcon>
#include <QStringList>

namespace varnel {

// Makes sure an icon theme with the program's icons is in use; safe to call often.
void ensureIconTheme();
// The first of names that the theme has, or a null icon.
QIcon themedIcon(const QStringList &names);

} // namespace varnel
