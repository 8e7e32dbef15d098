#include "ui/TextRowDelegate.h"

#include "ui/TextRowListModel.h"

#include <QApplication>
#include <QPainter>

namespace varnel {

namespace {

constexpr int kPadding = 4; // above and below the row, and between lines
constexpr int kInset = 10;  // left and right
constexpr int kCaptionGap = 10;

struct Fonts {
  QFont title;
  QFont subtitle;
  QFont caption;
};

Fonts fontsFor(const QFont &base) {
  Fonts fonts{base, base, base};
  fonts.title.setBold(true);
  fonts.subtitle.setPointSizeF(base.pointSizeF() * 0.93);
  fonts.caption.setPointSizeF(base.pointSizeF() * 0.85);
  return fonts;
}

struct Lines {
  QString title;
  QString subtitle;
  QStringList caption;
};

Lines linesOf(const QModelIndex &index) {
  return {index.data(Qt::DisplayRole).toString(), index.data(TextRowListModel::SubtitleRole).toString(),
          index.data(TextRowListModel::CaptionRole).toStringList()};
}

} // namespace

void TextRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const {
  QStyleOptionViewItem background = option;
  initStyleOption(&background, index);
  background.text.clear();
  const QWidget *widget = option.widget;
  QStyle *style = widget ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

  const Fonts fonts = fontsFor(option.font);
  const Lines lines = linesOf(index);
  const bool selected = option.state & QStyle::State_Selected;
  const QColor primary = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
  QColor secondary = primary;
  if (!selected)
    secondary = option.palette.color(QPalette::PlaceholderText);

  painter->save();
  QRect area = option.rect.adjusted(kInset, kPadding, -kInset, -kPadding);
  auto drawLine = [&](const QFont &font, const QColor &color, const QString &text) {
    const QFontMetrics metrics(font);
    painter->setFont(font);
    painter->setPen(color);
    const QRect line(area.left(), area.top(), area.width(), metrics.height());
    painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(text, Qt::ElideRight, line.width()));
    area.setTop(area.top() + metrics.height() + kPadding);
  };
  drawLine(fonts.title, primary, lines.title);
  if (!lines.subtitle.isEmpty())
    drawLine(fonts.subtitle, secondary, lines.subtitle);
  if (!lines.caption.isEmpty()) {
    const QFontMetrics metrics(fonts.caption);
    painter->setFont(fonts.caption);
    painter->setPen(secondary);
    int left = area.left();
    for (const QString &part : lines.caption) {
      // A little slack: elidedText() cuts a text given exactly its own advance.
      const int natural = metrics.horizontalAdvance(part) + 2;
      const int width = std::min(natural, area.right() - left);
      if (width <= 0)
        break;
      painter->drawText(QRect(left, area.top(), width, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                        width < natural ? metrics.elidedText(part, Qt::ElideRight, width) : part);
      left += width + kCaptionGap;
    }
  }
  painter->restore();
}

QSize TextRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const {
  const Fonts fonts = fontsFor(option.font);
  const Lines lines = linesOf(index);
  int height = kPadding + QFontMetrics(fonts.title).height() + kPadding;
  if (!lines.subtitle.isEmpty())
    height += QFontMetrics(fonts.subtitle).height() + kPadding;
  if (!lines.caption.isEmpty())
    height += QFontMetrics(fonts.caption).height() + kPadding;
  return {QFontMetrics(fonts.title).horizontalAdvance(lines.title) + 2 * kInset, height};
}

} // namespace varnel
