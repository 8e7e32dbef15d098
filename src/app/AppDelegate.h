#pragma once
// Application-wide window rules: the first window that becomes active is
// maximised to its screen's available area, once; the program ends when
// its last window closes.

#include <QObject>
#include <QPointer>

class QWidget;

namespace varnel {

class AppDelegate : public QObject {
  Q_OBJECT
public:
  explicit AppDelegate(QObject *parent = nullptr);

  // Starts watching window for its first activation.
  void watch(QWidget *window);
  bool didMaximizeOnce() const { return m_didMaximizeOnce; }

signals:
  // Emitted right after the maximise-once rule ran.
  void maximizedOnce(QWidget *window);

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  bool m_didMaximizeOnce = false;
  QPointer<QWidget> m_window;
};

} // namespace varnel
