#pragma once
// The list screen of a catalog ("Objetivos" or "Classificações").

#include "registry/CatalogAccess.h"
#include "registry/CatalogTexts.h"

#include "ui/ConfirmationDialog.h"

#include <QPointer>
#include <QWidget>

namespace varnel {

class BackendClient;
class CatalogListViewModel;
class ListScreenFrame;
class RowListView;
class SheetPresenter;
struct CatalogItem;

class CatalogListView : public QWidget {
  Q_OBJECT
public:
  CatalogListView(CatalogAccess access, CatalogTexts texts, QWidget *parent = nullptr);
  ~CatalogListView() override;

  static CatalogListView *classificacoes(BackendClient &client, QWidget *parent = nullptr);
  static CatalogListView *objetivos(BackendClient &client, QWidget *parent = nullptr);

  CatalogListViewModel &model() const { return *m_model; }
  ListScreenFrame *frame() const { return m_frame; }
  RowListView *list() const { return m_list; }
  SheetPresenter *sheets() const { return m_sheets; }
  ConfirmationDialog *confirmation() const { return m_confirmation; }

protected:
  void showEvent(QShowEvent *event) override;

private:
  void render();
  void syncConfirmation();
  const CatalogItem *shownAt(int row) const;

  CatalogListViewModel *m_model;
  ListScreenFrame *m_frame;
  RowListView *m_list;
  SheetPresenter *m_sheets;
  QPointer<ConfirmationDialog> m_confirmation;
  QList<CatalogItem> m_shown;
  bool m_loadedOnce = false;
};

} // namespace varnel
