#include "ui/TextRowListModel.h"

namespace varnel {

int TextRowListModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant TextRowListModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= m_rows.size())
    return {};
  const TextRow &row = m_rows.at(index.row());
  switch (role) {
  case Qt::DisplayRole:
    return row.title;
  case SubtitleRole:
    return row.subtitle;
  case CaptionRole:
    return row.caption;
  case Qt::ToolTipRole:
  case Qt::AccessibleTextRole: {
    QStringList lines{row.title};
    if (!row.subtitle.isEmpty())
      lines << row.subtitle;
    if (!row.caption.isEmpty())
      lines << row.caption.join(QStringLiteral("  "));
    return lines.join(QLatin1Char('\n'));
  }
  default:
    return {};
  }
}

void TextRowListModel::setRows(QList<TextRow> rows) {
  if (rows == m_rows)
    return;
  beginResetModel();
  m_rows = std::move(rows);
  endResetModel();
}

} // namespace varnel
