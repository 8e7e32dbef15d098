#pragma once
// The row above every list: the search field, "Atualizar" and the
// prominent button that opens the form for a new entry.

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace varnel {

class ListHeaderRow : public QWidget {
  Q_OBJECT
public:
  ListHeaderRow(const QString &searchPlaceholder, const QString &newEntryText, QWidget *parent = nullptr);

  QLineEdit *searchField() const { return m_search; }
  QPushButton *refreshButton() const { return m_refresh; }
  QPushButton *newButton() const { return m_new; }

  // Shows text unless the field already holds it (keeps the caret).
  void setSearchText(const QString &text);
  // "Atualizar" is disabled while a load runs.
  void setLoading(bool loading);

signals:
  void searchEdited(const QString &text);
  void refreshRequested();
  void newRequested();

private:
  QLineEdit *m_search;
  QPushButton *m_refresh;
  QPushButton *m_new;
};

} // namespace varnel
