#include "ui/BusySpinner.h"

#include <QPainter>

namespace varnel {

BusySpinner::BusySpinner(QWidget *parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFixedSize(sizeHint());
  m_timer.setInterval(40);
  connect(&m_timer, &QTimer::timeout, this, [this] {
    m_angle = (m_angle + 30) % 360;
    update();
  });
}

void BusySpinner::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QPen pen(palette().color(QPalette::ButtonText), 2.2);
  pen.setCapStyle(Qt::RoundCap);
  painter.setPen(pen);
  const QRectF box = QRectF(rect()).adjusted(2, 2, -2, -2);
  painter.drawArc(box, -m_angle * 16, 270 * 16);
}

void BusySpinner::showEvent(QShowEvent *event) {
  m_timer.start();
  QWidget::showEvent(event);
}

void BusySpinner::hideEvent(QHideEvent *event) {
  m_timer.stop();
  QWidget::hideEvent(event);
}

} // namespace varnel
