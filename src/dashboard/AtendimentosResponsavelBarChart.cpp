#include "dashboard/AtendimentosResponsavelBarChart.h"

#include "dashboard/DashboardFigures.h"
#include "dashboard/DashboardStyle.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace varnel {

using dashboard::TextStyle;

namespace {
constexpr qreal kVerticalMargin = 8;
constexpr qreal kSectionSpacing = 18;
constexpr qreal kSummarySpacing = 8;
constexpr qreal kBarsMargin = 4;
constexpr qreal kRowSpacing = 12;
constexpr qreal kRowItemSpacing = 12;
constexpr qreal kLegendColumnSpacing = 12;
constexpr qreal kLegendRowSpacing = 10;
constexpr qreal kSwatch = 14;
constexpr qreal kLegendItemSpacing = 8;
constexpr qreal kTrackRadius = 4;
} // namespace

AtendimentosResponsavelBarChart::AtendimentosResponsavelBarChart(QWidget *parent) : QWidget(parent) {
  QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
  setMouseTracking(true);
}

void AtendimentosResponsavelBarChart::setStats(QList<DashboardAtendimentoResponsavelStat> stats) {
  m_stats = std::move(stats);
  updateGeometry();
  update();
}

void AtendimentosResponsavelBarChart::setColors(QList<QColor> colors) {
  m_colors = std::move(colors);
  update();
}

QList<QColor> AtendimentosResponsavelBarChart::colors() const {
  return m_colors.isEmpty() ? dashboard::chartColors(palette()) : m_colors;
}

AtendimentosResponsavelBarChart::Geometry AtendimentosResponsavelBarChart::geometryFor(qreal width) const {
  Geometry g;
  const QFontMetricsF largeTitle(dashboard::font(font(), TextStyle::LargeTitle));
  const QFontMetricsF callout(dashboard::font(font(), TextStyle::Callout));
  const QFontMetricsF headline(dashboard::font(font(), TextStyle::Headline));
  const qint64 total = dashboard::totalOf(m_stats);
  const qint64 maximum = dashboard::maximumOf(m_stats);

  qreal y = kVerticalMargin;
  // The summary: the total and its word share one baseline.
  const qreal totalWidth = std::ceil(largeTitle.horizontalAdvance(dashboard::countText(total)));
  g.total = QRectF(0, y, totalWidth, largeTitle.height());
  const qreal baseline = y + largeTitle.ascent();
  g.summaryWord = QRectF(totalWidth + kSummarySpacing, baseline - callout.ascent(),
                         std::ceil(callout.horizontalAdvance(dashboard::summaryWord(total))), callout.height());
  y += largeTitle.height() + kSectionSpacing;

  // The bars.
  y += kBarsMargin;
  const qreal rowHeight = std::max({kBarHeight, callout.height(), headline.height()});
  const qreal trackWidth = std::max<qreal>(0, width - kNameWidth - kCountWidth - 2 * kRowItemSpacing);
  for (qsizetype i = 0; i < m_stats.size(); ++i) {
    if (i > 0)
      y += kRowSpacing;
    const QRectF row(0, y, width, rowHeight);
    g.rows.push_back(row);
    g.names.push_back(QRectF(0, y, kNameWidth, rowHeight));
    const QRectF track(kNameWidth + kRowItemSpacing, y + (rowHeight - kBarHeight) / 2, trackWidth, kBarHeight);
    g.tracks.push_back(track);
    g.bars.push_back(
        QRectF(track.left(), track.top(), dashboard::barWidth(m_stats[i].quantidade, maximum, trackWidth), kBarHeight));
    g.counts.push_back(QRectF(width - kCountWidth, y, kCountWidth, rowHeight));
    y += rowHeight;
  }
  y += kBarsMargin;

  y += kSectionSpacing;
  g.dividerY = y;
  y += 1 + kSectionSpacing;

  // The legend: as many columns of at least the minimum width as fit.
  const qreal itemHeight = std::max(kSwatch, callout.height());
  g.legendColumns = std::max(
      1, static_cast<int>(std::floor((width + kLegendColumnSpacing) / (kLegendMinimumColumn + kLegendColumnSpacing))));
  const qreal columnWidth =
      std::max<qreal>(0, (width - (g.legendColumns - 1) * kLegendColumnSpacing) / g.legendColumns);
  for (qsizetype i = 0; i < m_stats.size(); ++i) {
    const qsizetype column = i % g.legendColumns;
    const qsizetype line = i / g.legendColumns;
    g.legendItems.push_back(QRectF(column * (columnWidth + kLegendColumnSpacing),
                                   y + line * (itemHeight + kLegendRowSpacing), columnWidth, itemHeight));
  }
  const qsizetype lines = (m_stats.size() + g.legendColumns - 1) / g.legendColumns;
  if (lines > 0)
    y += lines * itemHeight + (lines - 1) * kLegendRowSpacing;
  y += kVerticalMargin;
  g.height = y;
  return g;
}

QString AtendimentosResponsavelBarChart::toolTipFor(qsizetype index) const {
  if (index < 0 || index >= m_stats.size())
    return {};
  const auto &stat = m_stats[index];
  return stat.nome + QLatin1Char('\n') + dashboard::legendValueText(stat.quantidade, dashboard::totalOf(m_stats));
}

int AtendimentosResponsavelBarChart::heightForWidth(int width) const {
  return static_cast<int>(std::ceil(geometryFor(width).height));
}

// The heights are those at the width the chart has now (once laid out), so
// that a scroll area around it does not reserve the taller height of a
// narrow chart.
QSize AtendimentosResponsavelBarChart::sizeHint() const {
  const int width = static_cast<int>(kNameWidth + kCountWidth + 2 * kRowItemSpacing + 240);
  return {width, heightForWidth(this->width() > 0 ? this->width() : width)};
}

QSize AtendimentosResponsavelBarChart::minimumSizeHint() const {
  const int width = static_cast<int>(kNameWidth + kCountWidth + 2 * kRowItemSpacing + 60);
  return {width, heightForWidth(this->width() > 0 ? this->width() : width)};
}

void AtendimentosResponsavelBarChart::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  if (heightForWidth(event->size().width()) != heightForWidth(event->oldSize().width()))
    updateGeometry();
}

void AtendimentosResponsavelBarChart::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const Geometry g = geometryFor(width());
  const QList<QColor> palette = colors();
  const QColor text = this->palette().color(QPalette::WindowText);
  const QColor secondary = dashboard::secondaryColor(this->palette());
  const qint64 total = dashboard::totalOf(m_stats);

  const QFont largeTitle = dashboard::font(font(), TextStyle::LargeTitle);
  const QFont callout = dashboard::font(font(), TextStyle::Callout);
  const QFont headline = dashboard::font(font(), TextStyle::Headline);
  QFont semibold = callout;
  semibold.setWeight(QFont::DemiBold);

  // Summary, on the total's baseline.
  painter.setFont(largeTitle);
  painter.setPen(text);
  const qreal baseline = g.total.top() + QFontMetricsF(largeTitle).ascent();
  painter.drawText(QPointF(g.total.left(), baseline), dashboard::countText(total));
  painter.setFont(callout);
  painter.setPen(secondary);
  painter.drawText(QPointF(g.summaryWord.left(), baseline), dashboard::summaryWord(total));

  // Bars.
  QColor trackColor = secondary;
  trackColor.setAlphaF(0.14f);
  const QFontMetricsF calloutMetrics(callout);
  for (qsizetype i = 0; i < m_stats.size(); ++i) {
    const auto &stat = m_stats[i];
    painter.setFont(callout);
    painter.setPen(text);
    painter.drawText(g.names[i], Qt::AlignLeft | Qt::AlignVCenter,
                     calloutMetrics.elidedText(stat.nome, Qt::ElideRight, g.names[i].width()));
    painter.setPen(Qt::NoPen);
    painter.setBrush(trackColor);
    painter.drawRoundedRect(g.tracks[i], kTrackRadius, kTrackRadius);
    painter.setBrush(dashboard::colorAt(palette, i));
    painter.drawRoundedRect(g.bars[i], kTrackRadius, kTrackRadius);
    painter.setFont(headline);
    painter.setPen(text);
    dashboard::drawTabularText(painter, g.counts[i], dashboard::countText(stat.quantidade), true);
  }

  // Divider.
  QColor dividerColor = text;
  dividerColor.setAlphaF(0.16f);
  painter.setPen(QPen(dividerColor, 1));
  painter.drawLine(QPointF(0, g.dividerY + 0.5), QPointF(width(), g.dividerY + 0.5));

  // Legend.
  for (qsizetype i = 0; i < m_stats.size(); ++i) {
    const auto &stat = m_stats[i];
    const QRectF item = g.legendItems[i];
    const QRectF swatch(item.left(), item.center().y() - kSwatch / 2, kSwatch, kSwatch);
    painter.setPen(Qt::NoPen);
    painter.setBrush(dashboard::colorAt(palette, i));
    painter.drawRoundedRect(swatch, 3, 3);

    const QString value = dashboard::legendValueText(stat.quantidade, total);
    const qreal valueWidth = std::ceil(dashboard::tabularTextWidth(semibold, value));
    painter.setFont(semibold);
    painter.setPen(text);
    dashboard::drawTabularText(painter, item, value, true);

    const qreal nameLeft = swatch.right() + kLegendItemSpacing;
    const qreal nameWidth = std::max<qreal>(0, item.right() - valueWidth - kLegendItemSpacing - nameLeft);
    painter.setFont(callout);
    painter.drawText(QRectF(nameLeft, item.top(), nameWidth, item.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     calloutMetrics.elidedText(stat.nome, Qt::ElideRight, nameWidth));
  }
}

bool AtendimentosResponsavelBarChart::event(QEvent *event) {
  if (event->type() == QEvent::ToolTip) {
    auto *help = static_cast<QHelpEvent *>(event);
    const Geometry g = geometryFor(width());
    qsizetype hit = -1;
    QRectF area;
    for (qsizetype i = 0; i < m_stats.size() && hit < 0; ++i) {
      for (const QRectF &candidate : {g.rows[i], g.legendItems[i]}) {
        if (hit < 0 && candidate.contains(help->pos())) {
          hit = i;
          area = candidate;
        }
      }
    }
    if (hit >= 0) {
      QToolTip::showText(help->globalPos(), toolTipFor(hit), this, area.toAlignedRect());
    } else {
      QToolTip::hideText();
      event->ignore();
    }
    return true;
  }
  if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
    updateGeometry();
  return QWidget::event(event);
}

} // namespace varnel
