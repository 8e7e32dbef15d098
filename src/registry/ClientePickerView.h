#pragma once
// "Selecionar Cliente": a sheet that searches the back-end for a customer
// (once when shown, then on Return and "Buscar") and picks one with a click.

#include "model/Cliente.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace varnel {

class BackendClient;
class BusySpinner;
class ClientePickerViewModel;
class MessageLine;
class RowListView;

class ClientePickerView : public QDialog {
  Q_OBJECT
public:
  explicit ClientePickerView(BackendClient &client, QWidget *parent = nullptr);

  ClientePickerViewModel &model() const { return *m_model; }
  QLineEdit *searchField() const { return m_search; }
  QPushButton *searchButton() const { return m_searchButton; }
  QPushButton *closeButton() const { return m_close; }
  RowListView *list() const { return m_list; }

signals:
  // A customer was picked; the sheet closes right after.
  void selected(const Cliente &cliente);

protected:
  void showEvent(QShowEvent *event) override;

private:
  void render();

  ClientePickerViewModel *m_model;
  QLineEdit *m_search;
  QPushButton *m_searchButton;
  BusySpinner *m_busy;
  MessageLine *m_error;
  RowListView *m_list;
  QPushButton *m_close;
  QList<Cliente> m_shown;
  bool m_searchedOnce = false;
};

} // namespace varnel
