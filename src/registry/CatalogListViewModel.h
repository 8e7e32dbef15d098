#pragma once
// Screen model of a catalog list ("Objetivos", "Classificações"): loads the
// catalog, searches it locally, opens the form in a sheet to create or edit
// an entry, saves what the form hands back and archives after confirmation.

#include "base/Tasks.h"
#include "registry/CatalogAccess.h"
#include "registry/CatalogTexts.h"
#include "ui/FormRoute.h"

#include <QObject>

#include <optional>

namespace varnel {

class CatalogListViewModel : public QObject {
  Q_OBJECT
public:
  using Route = FormRoute<CatalogItem>;

  CatalogListViewModel(CatalogAccess access, CatalogTexts texts, QObject *parent = nullptr);

  const CatalogTexts &texts() const { return m_texts; }
  const QList<CatalogItem> &itens() const { return m_itens; }
  const QList<CatalogItem> &allItens() const { return m_allItens; }
  const QString &searchText() const { return m_searchText; }
  bool isLoading() const { return m_isLoading; }
  const std::optional<QString> &errorMessage() const { return m_errorMessage; }
  const std::optional<Route> &formRoute() const { return m_formRoute; }
  bool showDeleteConfirm() const { return m_showDeleteConfirm; }
  const std::optional<CatalogItem> &toDelete() const { return m_toDelete; }

  // The rows shown: the entries whose description contains the search.
  QList<CatalogItem> filtered() const;

  void setSearchText(const QString &text);
  // Loads the catalog; the newest load decides the list.
  void load();

  void openNew();
  void openEdit(const CatalogItem &item);
  // The sheet of route closed, whichever way; the list reloads.
  void sheetClosed(const QUuid &route);
  // What the form hands back: an update when the entry is in allItens,
  // otherwise a create. A failed save opens the form again with the entry
  // as it was typed and the failure in it.
  void save(const CatalogItem &item);

  void askDelete(const CatalogItem &item);
  void cancelDelete();
  void confirmDelete();

signals:
  void changed();

private:
  void fail(const QString &description);

  CatalogAccess m_access;
  CatalogTexts m_texts;
  QList<CatalogItem> m_itens;
  QList<CatalogItem> m_allItens;
  QString m_searchText;
  bool m_isLoading = false;
  std::optional<QString> m_errorMessage;
  std::optional<Route> m_formRoute;
  bool m_showDeleteConfirm = false;
  std::optional<CatalogItem> m_toDelete;
  Tasks m_tasks{this};
};

} // namespace varnel
