#pragma once
// Draws a TextRowListModel row: the title in bold, the secondary line in a
// smaller grey, then the captions smaller still, 10 apart; 4 around each line.

#include <QStyledItemDelegate>

namespace varnel {

class TextRowDelegate : public QStyledItemDelegate {
  Q_OBJECT
public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
  QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace varnel
