#pragma once
// The dashboard's chart, drawn by hand: the total with its summary word, one
// horizontal bar per row (name, bar scaled to the largest row, count), a
// divider, and a legend in as many columns of at least 240 as fit, each
// entry with its colour, name, count and share. Its height follows its width.

#include "dashboard/DashboardAtendimentoResponsavelStat.h"

#include <QColor>
#include <QList>
#include <QRectF>
#include <QWidget>

namespace varnel {

class AtendimentosResponsavelBarChart : public QWidget {
  Q_OBJECT
public:
  explicit AtendimentosResponsavelBarChart(QWidget *parent = nullptr);

  static constexpr qreal kNameWidth = 190;
  static constexpr qreal kCountWidth = 42;
  static constexpr qreal kBarHeight = 18;
  static constexpr qreal kLegendMinimumColumn = 240;

  void setStats(QList<DashboardAtendimentoResponsavelStat> stats);
  const QList<DashboardAtendimentoResponsavelStat> &stats() const { return m_stats; }
  // Empty means the palette of chartColors(), in the widget's own palette.
  void setColors(QList<QColor> colors);
  QList<QColor> colors() const;

  // Where everything goes at a given width.
  struct Geometry {
    QRectF total;
    QRectF summaryWord;
    QList<QRectF> rows;   // a whole bar row: name, bar area and count
    QList<QRectF> names;  // the name's box
    QList<QRectF> tracks; // the bar area
    QList<QRectF> bars;   // the coloured bar within it
    QList<QRectF> counts;
    qreal dividerY = 0;
    int legendColumns = 1;
    QList<QRectF> legendItems;
    qreal height = 0;
  };
  Geometry geometryFor(qreal width) const;

  // What hovering row index shows: the full name, the count and the share.
  QString toolTipFor(qsizetype index) const;

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

protected:
  void paintEvent(QPaintEvent *event) override;
  bool event(QEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

private:
  QList<DashboardAtendimentoResponsavelStat> m_stats;
  QList<QColor> m_colors;
};

} // namespace varnel
