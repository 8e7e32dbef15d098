#include "reports/ReportPainter.h"

#include "reports/ReportValues.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QTextLayout>

#include <cmath>

namespace varnel {

namespace {

// Hard line breaks in stored text come as "\n" or "\r\n"; the layout engine
// breaks lines only at the Unicode line separator.
QString withLineSeparators(QString text) {
  text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
  text.replace(u'\r', QChar::LineSeparator);
  text.replace(u'\n', QChar::LineSeparator);
  return text;
}

// Lays the text out in lines stacked from y = 0; returns the total height.
qreal layOut(QTextLayout &layout, qreal width, Qt::Alignment alignment) {
  QTextOption option(alignment);
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.setCacheEnabled(true);
  qreal y = 0;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLeadingIncluded(true);
    line.setLineWidth(width);
    line.setPosition(QPointF(0, y));
    y += line.height();
  }
  layout.endLayout();
  return y;
}

} // namespace

qreal reportTextHeight(const QString &text, const QFont &font, qreal width, QPaintDevice *device) {
  QTextLayout layout(withLineSeparators(text), font, device);
  return std::ceil(layOut(layout, width, Qt::AlignLeft));
}

qreal reportLineHeight(const QFont &font, QPaintDevice *device) {
  const QFontMetricsF metrics(font, device);
  return std::ceil(metrics.ascent() + metrics.descent() + metrics.leading());
}

ReportPainter::ReportPainter(QPainter &painter, const ReportLayout &layout) : m_painter(painter), m_layout(layout) {}

qreal ReportPainter::bodyTextHeight(const QString &text, qreal width) const {
  return reportTextHeight(text, m_layout.bodyFont, width, m_painter.device());
}

void ReportPainter::drawText(const QString &text, const QFont &font, const QColor &color, const QRectF &rect,
                             Qt::Alignment alignment) {
  if (rect.top() >= pageHeight())
    return;
  QTextLayout layout(withLineSeparators(text), font, m_painter.device());
  layOut(layout, rect.width(), alignment);
  m_painter.setPen(color);
  constexpr qreal tolerance = 0.5;
  for (int i = 0; i < layout.lineCount(); ++i) {
    const QTextLine line = layout.lineAt(i);
    const qreal top = rect.top() + line.y();
    if (top >= pageHeight())
      break;
    if (i > 0 && top + line.height() > rect.bottom() + tolerance)
      break;
    line.draw(&m_painter, rect.topLeft());
  }
}

void ReportPainter::fillRoundedRect(const QRectF &rect, qreal radius, const QColor &fill) {
  m_painter.setPen(Qt::NoPen);
  m_painter.setBrush(fill);
  m_painter.drawRoundedRect(rect, radius, radius);
}

void ReportPainter::fillAndStrokeRoundedRect(const QRectF &rect, qreal radius, const QColor &fill, const QColor &stroke,
                                             qreal strokeWidth) {
  QPen pen(stroke, strokeWidth);
  pen.setJoinStyle(Qt::MiterJoin);
  m_painter.setPen(pen);
  m_painter.setBrush(fill);
  m_painter.drawRoundedRect(rect, radius, radius);
}

void ReportPainter::drawBox(const QString &label, const QString &value, const QRectF &box) {
  if (box.top() >= pageHeight())
    return;
  fillAndStrokeRoundedRect(box, 4, reportcolors::grey(0.98), reportcolors::grey(0.86), 1);
  const QRectF inner = box.adjusted(8, 6, -8, -6);
  qreal valueTop = inner.top();
  if (!label.isEmpty()) {
    drawText(label, m_layout.labelFont, reportcolors::secondaryLabel,
             QRectF(inner.left(), inner.top(), inner.width(), 11));
    valueTop += 14;
  }
  const qreal valueHeight = std::max<qreal>(12, inner.bottom() - valueTop);
  drawText(displayValue(value), m_layout.bodyFont, reportcolors::label,
           QRectF(inner.left(), valueTop, inner.width(), valueHeight));
}

} // namespace varnel
