#include "app/WindowConfiguration.h"

#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace varnel {

QRect centredRect(const QRect &available, const QSize &size) {
  const int x = available.x() + (available.width() - size.width()) / 2;
  const int y = available.y() + (available.height() - size.height()) / 2;
  return QRect(QPoint(x, y), size);
}

namespace {

QScreen *screenOf(QWidget &window) {
  if (QWindow *handle = window.windowHandle())
    return handle->screen();
  return nullptr;
}

} // namespace

void configureWindow(QWidget &window, bool signedIn) {
  QScreen *screen = screenOf(window);
  if (window.isFullScreen() && !signedIn)
    window.showNormal();
  if (signedIn) {
    window.setMinimumSize(shellMinimumSize);
    if (screen)
      window.setGeometry(screen->availableGeometry());
  } else {
    window.setWindowTitle(QStringLiteral("Login"));
    window.setMinimumSize(loginWindowSize);
    if (window.isMaximized())
      window.showNormal();
    if (screen)
      window.setGeometry(centredRect(screen->availableGeometry(), loginWindowSize));
    else
      window.resize(loginWindowSize);
  }
}

} // namespace varnel
