#pragma once
// Text layout and the rounded value boxes shared by both report pages.

#include "reports/ReportLayout.h"

#include <QPainter>
#include <QRectF>
#include <QString>

namespace varnel {

// The height of text laid out in font at the given width, wrapping at word
// boundaries (inside a word when it alone is wider), every line counting its
// ascent, descent and leading; rounded up to a whole point. Metrics are those
// of the given paint device.
qreal reportTextHeight(const QString &text, const QFont &font, qreal width, QPaintDevice *device);

// One line of the font: ascent + descent + leading, rounded up.
qreal reportLineHeight(const QFont &font, QPaintDevice *device);

class ReportPainter {
public:
  ReportPainter(QPainter &painter, const ReportLayout &layout);

  qreal pageWidth() const { return m_layout.pageSize.width(); }
  qreal pageHeight() const { return m_layout.pageSize.height(); }
  const ReportLayout &layout() const { return m_layout; }
  QPainter &painter() { return m_painter; }

  // T(text, width) in the body font.
  qreal bodyTextHeight(const QString &text, qreal width) const;

  // Draws text from the top of rect, wrapped to its width. Lines below the
  // rect's bottom are left out, except the first, which always shows; lines
  // below the page's bottom edge are never drawn.
  void drawText(const QString &text, const QFont &font, const QColor &color, const QRectF &rect,
                Qt::Alignment alignment = Qt::AlignLeft);

  void fillRoundedRect(const QRectF &rect, qreal radius, const QColor &fill);
  void fillAndStrokeRoundedRect(const QRectF &rect, qreal radius, const QColor &fill, const QColor &stroke,
                                qreal strokeWidth);

  // A rounded box with an optional label above its value (displayValue of
  // value). Boxes that start below the page are skipped.
  void drawBox(const QString &label, const QString &value, const QRectF &box);

private:
  QPainter &m_painter;
  const ReportLayout &m_layout;
};

} // namespace varnel
