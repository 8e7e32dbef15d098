#include "ui/Icons.h"

#include <QDir>
#include <QStandardPaths>

namespace varnel {

void ensureIconTheme() {
  static const bool done = [] {
    // Some platform plugins (offscreen, minimal) search no system folder.
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
      const QString icons = QDir(data).filePath(QStringLiteral("icons"));
      if (!paths.contains(icons) && QDir(icons).exists())
        paths << icons;
    }
    QIcon::setThemeSearchPaths(paths);
    // Outside a full desktop there is often no theme set, or only hicolor.
    const QString theme = QIcon::themeName();
    if (theme.isEmpty() || theme == QLatin1String("hicolor"))
      QIcon::setThemeName(QStringLiteral("breeze"));
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    return true;
  }();
  Q_UNUSED(done);
}

QIcon themedIcon(const QStringList &names) {
  ensureIconTheme();
  for (const QString &name : names) {
    if (QIcon::hasThemeIcon(name))
      return QIcon::fromTheme(name);
  }
  return {};
}

} // namespace varnel
