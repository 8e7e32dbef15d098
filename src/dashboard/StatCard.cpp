#include "dashboard/StatCard.h"

#include "dashboard/DashboardStyle.h"

#include <QFontMetricsF>
#include <QPainter>

namespace varnel {

StatCard::StatCard(const QString &title, QWidget *parent) : QWidget(parent), m_title(title) {
  setFixedSize(kWidth, kHeight);
  setAccessibleName(title);
}

void StatCard::setValue(const QString &value) {
  if (value == m_value)
    return;
  m_value = value;
  setAccessibleDescription(value);
  update();
}

void StatCard::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  dashboard::paintMaterial(painter, QRectF(rect()), palette());

  constexpr qreal margin = 14;
  constexpr qreal spacing = 8;
  const qreal width = kWidth - 2 * margin;

  const QFont titleFont = dashboard::font(font(), dashboard::TextStyle::Headline);
  const QFontMetricsF titleMetrics(titleFont);
  painter.setFont(titleFont);
  painter.setPen(dashboard::secondaryColor(palette()));
  const QRectF titleRect(margin, margin, width, titleMetrics.height());
  painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
                   titleMetrics.elidedText(m_title, Qt::ElideRight, width));

  const QFont valueFont = dashboard::font(font(), dashboard::TextStyle::LargeTitle);
  const QFontMetricsF valueMetrics(valueFont);
  painter.setFont(valueFont);
  painter.setPen(palette().color(QPalette::WindowText));
  const QRectF valueRect(margin, titleRect.bottom() + spacing, width, valueMetrics.height());
  painter.drawText(valueRect, Qt::AlignLeft | Qt::AlignVCenter,
                   valueMetrics.elidedText(m_value, Qt::ElideRight, width));
}

} // namespace varnel
