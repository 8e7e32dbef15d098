#include "registry/CatalogListViewModel.h"

#include "ui/TextSearch.h"

#include <algorithm>

namespace varnel {

namespace {

QCoro::Task<QList<CatalogItem>> loadCatalog(CatalogAccess access) {
  QList<CatalogItem> items = co_await access.list();
  co_return items;
}

QCoro::Task<void> saveEntry(CatalogAccess access, CatalogItem item, bool exists) {
  if (exists)
    co_await access.update(std::move(item));
  else
    co_await access.create(std::move(item));
}

QCoro::Task<void> archiveEntry(CatalogAccess access, QUuid id) { co_await access.archive(id); }

const QString kLoad = QStringLiteral("load");

} // namespace

CatalogListViewModel::CatalogListViewModel(CatalogAccess access, CatalogTexts texts, QObject *parent)
    : QObject(parent), m_access(std::move(access)), m_texts(std::move(texts)) {}

QList<CatalogItem> CatalogListViewModel::filtered() const {
  const QString query = searchQuery(m_searchText);
  if (query.isEmpty())
    return m_itens;
  QList<CatalogItem> rows;
  std::copy_if(m_itens.begin(), m_itens.end(), std::back_inserter(rows),
               [&query](const CatalogItem &item) { return matchesQuery(item.descricao, query); });
  return rows;
}

void CatalogListViewModel::setSearchText(const QString &text) {
  if (text == m_searchText)
    return;
  m_searchText = text;
  emit changed();
}

void CatalogListViewModel::load() {
  m_errorMessage.reset();
  m_isLoading = true;
  emit changed();
  m_tasks.runLatest(
      kLoad, loadCatalog(m_access),
      [this](QList<CatalogItem> items) {
        m_allItens = std::move(items);
        m_itens = m_allItens;
        m_isLoading = false;
        emit changed();
      },
      [this](const QString &description) {
        m_errorMessage = description;
        m_isLoading = false;
        emit changed();
      });
}

void CatalogListViewModel::openNew() {
  m_formRoute = Route::create();
  emit changed();
}

void CatalogListViewModel::openEdit(const CatalogItem &item) {
  m_formRoute = Route::edit(item);
  emit changed();
}

void CatalogListViewModel::sheetClosed(const QUuid &route) {
  if (m_formRoute && m_formRoute->id == route)
    m_formRoute.reset();
  load();
}

void CatalogListViewModel::save(const CatalogItem &item) {
  const bool exists = std::any_of(m_allItens.begin(), m_allItens.end(),
                                  [&item](const CatalogItem &entry) { return entry.id == item.id; });
  const std::optional<QUuid> openRoute = m_formRoute ? std::optional(m_formRoute->id) : std::nullopt;
  m_tasks.run(
      saveEntry(m_access, item, exists), [this] { load(); },
      [this, item, openRoute](const QString &description) {
        fail(description);
        // Nothing typed is lost: the form comes back with the entry and why,
        // unless the user has opened another form meanwhile.
        if (!m_formRoute || m_formRoute->id == openRoute)
          m_formRoute = Route::retry(item, description);
        emit changed();
      });
}

void CatalogListViewModel::askDelete(const CatalogItem &item) {
  m_toDelete = item;
  m_showDeleteConfirm = true;
  emit changed();
}

void CatalogListViewModel::cancelDelete() {
  m_showDeleteConfirm = false;
  emit changed();
}

void CatalogListViewModel::confirmDelete() {
  m_showDeleteConfirm = false;
  emit changed();
  if (!m_toDelete)
    return;
  m_tasks.run(
      archiveEntry(m_access, m_toDelete->id), [this] { load(); },
      [this](const QString &description) {
        fail(description);
        emit changed();
      });
}

void CatalogListViewModel::fail(const QString &description) { m_errorMessage = description; }

} // namespace varnel
