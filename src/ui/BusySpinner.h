#pragma once
// A small turning arc that says "working" where a button's title would be.

#include <QTimer>
#include <QWidget>

namespace varnel {

class BusySpinner : public QWidget {
  Q_OBJECT
public:
  explicit BusySpinner(QWidget *parent = nullptr);
  QSize sizeHint() const override { return {18, 18}; }

protected:
  void paintEvent(QPaintEvent *event) override;
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;

private:
  QTimer m_timer;
  int m_angle = 0;
};

} // namespace varnel
