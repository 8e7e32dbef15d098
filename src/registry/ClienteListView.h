#pragma once
// "Clientes": the active customers, filtered as the user types, with the
// customer form in a sheet and the archive confirmation.

#include "model/Cliente.h"

#include "ui/ConfirmationDialog.h"

#include <QPointer>
#include <QWidget>

namespace varnel {

class BackendClient;
class ClienteListViewModel;
class ListScreenFrame;
class RowListView;
class SheetPresenter;

class ClienteListView : public QWidget {
  Q_OBJECT
public:
  explicit ClienteListView(BackendClient &client, QWidget *parent = nullptr);
  ~ClienteListView() override;

  ClienteListViewModel &model() const { return *m_model; }
  ListScreenFrame *frame() const { return m_frame; }
  RowListView *list() const { return m_list; }
  SheetPresenter *sheets() const { return m_sheets; }
  ConfirmationDialog *confirmation() const { return m_confirmation; }

protected:
  void showEvent(QShowEvent *event) override;

private:
  void render();
  void syncConfirmation();
  const Cliente *shownAt(int row) const;

  ClienteListViewModel *m_model;
  ListScreenFrame *m_frame;
  RowListView *m_list;
  SheetPresenter *m_sheets;
  QPointer<ConfirmationDialog> m_confirmation;
  QList<Cliente> m_shown;
  bool m_loadedOnce = false;
};

} // namespace varnel
