#pragma once
// A list of rows of up to three lines (a title, a secondary line and a line
// of captions) for QListView with TextRowDelegate: the list screens turn
// their records into TextRows and hand them over whenever the list changes.

#include <QAbstractListModel>
#include <QStringList>

namespace varnel {

struct TextRow {
  QString title;
  QString subtitle;    // not drawn when empty
  QStringList caption; // the non-empty parts, drawn side by side

  bool operator==(const TextRow &) const = default;
};

class TextRowListModel : public QAbstractListModel {
  Q_OBJECT
public:
  enum Role { SubtitleRole = Qt::UserRole + 1, CaptionRole };

  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

  void setRows(QList<TextRow> rows);
  const QList<TextRow> &rows() const { return m_rows; }

private:
  QList<TextRow> m_rows;
};

} // namespace varnel
