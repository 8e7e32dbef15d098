#include "app/AppDelegate.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace varnel {

AppDelegate::AppDelegate(QObject *parent) : QObject(parent) { QApplication::setQuitOnLastWindowClosed(true); }

void AppDelegate::watch(QWidget *window) {
  if (m_window)
    m_window->removeEventFilter(this);
  m_window = window;
  if (window)
    window->installEventFilter(this);
}

bool AppDelegate::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::WindowActivate && watched == m_window && !m_didMaximizeOnce) {
    m_didMaximizeOnce = true;
    m_window->removeEventFilter(this);
    QWindow *handle = m_window->windowHandle();
    if (QScreen *screen = handle ? handle->screen() : nullptr)
      m_window->setGeometry(screen->availableGeometry());
    emit maximizedOnce(m_window);
  }
  return QObject::eventFilter(watched, event);
}

} // namespace varnel
