#include "dashboard/DashboardStyle.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <array>

namespace varnel::dashboard {

QFont font(const QFont &base, TextStyle style) {
  QFont f = base;
  const qreal size = base.pointSizeF() > 0 ? base.pointSizeF() : 10.0;
  switch (style) {
  case TextStyle::LargeTitle:
    f.setPointSizeF(size * 2.0);
    f.setBold(true);
    break;
  case TextStyle::Title:
    f.setPointSizeF(size * 1.7);
    f.setBold(true);
    break;
  case TextStyle::Headline:
    f.setPointSizeF(size * 1.05);
    f.setWeight(QFont::DemiBold);
    break;
  case TextStyle::Callout:
    f.setPointSizeF(size * 0.95);
    break;
  }
  return f;
}

bool isDark(const QPalette &palette) {
  return palette.color(QPalette::Window).lightnessF() < palette.color(QPalette::WindowText).lightnessF();
}

QList<QColor> chartColors(const QPalette &palette) {
  struct Shade {
    const char *light;
    const char *dark;
  };
  // The usual system colours, a little deeper on light windows and a little
  // brighter on dark ones.
  static constexpr std::array<Shade, 10> shades{{
      {"#007aff", "#0a84ff"}, // blue
      {"#28a745", "#30d158"}, // green
      {"#ff9500", "#ff9f0a"}, // orange
      {"#af52de", "#bf5af2"}, // purple
      {"#ff2d55", "#ff375f"}, // pink
      {"#30b0c7", "#40c8e0"}, // teal
      {"#ff3b30", "#ff453a"}, // red
      {"#5856d6", "#5e5ce6"}, // indigo
      {"#00c7be", "#63e6e2"}, // mint
      {"#ffcc00", "#ffd60a"}, // yellow
  }};
  const bool dark = isDark(palette);
  QList<QColor> colors;
  for (const auto &shade : shades)
    colors.push_back(QColor(QLatin1String(dark ? shade.dark : shade.light)));
  return colors;
}

QColor colorAt(const QList<QColor> &colors, qsizetype index) {
  if (colors.isEmpty())
    return {};
  return colors.at(index % colors.size());
}

QColor secondaryColor(const QPalette &palette) {
  QColor color = palette.color(QPalette::WindowText);
  color.setAlphaF(0.62f);
  return color;
}

void paintMaterial(QPainter &painter, const QRectF &rect, const QPalette &palette) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  QColor fill = palette.color(QPalette::WindowText);
  fill.setAlphaF(isDark(palette) ? 0.07f : 0.045f);
  QColor edge = palette.color(QPalette::WindowText);
  edge.setAlphaF(0.09f);
  painter.setPen(QPen(edge, 1.0));
  painter.setBrush(fill);
  painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
  painter.restore();
}

namespace {
qreal digitCell(const QFontMetricsF &metrics) {
  qreal widest = 0;
  for (char digit = '0'; digit <= '9'; ++digit)
    widest = std::max(widest, metrics.horizontalAdvance(QLatin1Char(digit)));
  return widest;
}

qreal advanceOf(const QFontMetricsF &metrics, qreal cell, QChar c) {
  return c.isDigit() ? cell : metrics.horizontalAdvance(c);
}
} // namespace

qreal tabularTextWidth(const QFont &font, const QString &text) {
  const QFontMetricsF metrics(font);
  const qreal cell = digitCell(metrics);
  qreal width = 0;
  for (const QChar c : text)
    width += advanceOf(metrics, cell, c);
  return width;
}

void drawTabularText(QPainter &painter, const QRectF &rect, const QString &text, bool alignRight) {
  const QFontMetricsF metrics(painter.font());
  const qreal cell = digitCell(metrics);
  const qreal width = tabularTextWidth(painter.font(), text);
  qreal x = alignRight ? rect.right() - width : rect.left();
  const qreal baseline = rect.center().y() + (metrics.ascent() - metrics.descent()) / 2.0;
  for (const QChar c : text) {
    const qreal advance = advanceOf(metrics, cell, c);
    const qreal inset = c.isDigit() ? (cell - metrics.horizontalAdvance(c)) / 2.0 : 0.0;
    painter.drawText(QPointF(x + inset, baseline), QString(c));
    x += advance;
  }
}

} // namespace varnel::dashboard
