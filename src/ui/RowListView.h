#pragma once
// The list of a registry screen: a QListView over TextRowListModel drawn by
// TextRowDelegate. A click anywhere in a row reports it; with the edit menu
// enabled, its context menu holds "Editar", a separator and "Excluir", and
// Delete on the selected row asks for its archive too.

#include <QListView>

namespace varnel {

struct TextRow;
class TextRowListModel;

class RowListView : public QListView {
  Q_OBJECT
public:
  explicit RowListView(QWidget *parent = nullptr);

  TextRowListModel *rows() const { return m_rows; }
  void setRows(QList<TextRow> rows);
  // Gives every row the context menu "Editar" / separator / "Excluir".
  void enableEditMenu();

signals:
  void rowClicked(int row);
  // "Excluir" in the menu, or Delete on the selected row.
  void editRequested(int row);
  void deleteRequested(int row);

protected:
  void keyPressEvent(QKeyEvent *event) override;

private:
  TextRowListModel *m_rows;
  bool m_editMenu = false;
};

} // namespace varnel
