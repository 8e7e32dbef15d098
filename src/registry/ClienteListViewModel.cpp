#include "registry/ClienteListViewModel.h"

#include "ui/TextSearch.h"

#include <algorithm>

namespace varnel {

namespace {

QCoro::Task<QList<Cliente>> loadClientes(ClienteRepository repository) {
  QList<Cliente> clientes = co_await repository.list();
  co_return clientes;
}

QCoro::Task<void> saveCliente(ClienteRepository repository, Cliente cliente, bool exists) {
  if (exists)
    co_await repository.update(std::move(cliente));
  else
    co_await repository.create(std::move(cliente));
}

QCoro::Task<void> archiveCliente(ClienteRepository repository, QUuid id) { co_await repository.archive(id); }

const QString kLoad = QStringLiteral("load");

} // namespace

ClienteListViewModel::ClienteListViewModel(ClienteRepository repository, QObject *parent)
    : QObject(parent), m_repository(std::move(repository)) {}

bool ClienteListViewModel::matches(const Cliente &cliente, const QString &query) {
  return matchesQuery(cliente.nomeRazao, query) || matchesQuery(cliente.nomeFantasia, query) ||
         matchesQuery(cliente.cpf, query) || matchesQuery(cliente.cnpj, query) || matchesQuery(cliente.cidade, query) ||
         matchesQuery(cliente.email, query) || matchesQuery(cliente.codigoExterno, query);
}

QList<Cliente> ClienteListViewModel::filtered() const {
  const QString query = searchQuery(m_searchText);
  if (query.isEmpty())
    return m_clientes;
  QList<Cliente> rows;
  std::copy_if(m_clientes.begin(), m_clientes.end(), std::back_inserter(rows),
               [&query](const Cliente &cliente) { return matches(cliente, query); });
  return rows;
}

void ClienteListViewModel::setSearchText(const QString &text) {
  if (text == m_searchText)
    return;
  m_searchText = text;
  emit changed();
}

void ClienteListViewModel::load() {
  m_errorMessage.reset();
  m_isLoading = true;
  emit changed();
  m_tasks.runLatest(
      kLoad, loadClientes(m_repository),
      [this](QList<Cliente> clientes) {
        m_allClientes = std::move(clientes);
        m_clientes = m_allClientes;
        m_isLoading = false;
        emit changed();
      },
      [this](const QString &description) {
        m_errorMessage = loadFailurePrefix() + description;
        m_isLoading = false;
        emit changed();
      });
}

void ClienteListViewModel::openNew() {
  m_formRoute = Route::create();
  emit changed();
}

void ClienteListViewModel::openEdit(const Cliente &cliente) {
  m_formRoute = Route::edit(cliente);
  emit changed();
}

void ClienteListViewModel::sheetClosed(const QUuid &route) {
  if (m_formRoute && m_formRoute->id == route)
    m_formRoute.reset();
  load();
}

void ClienteListViewModel::save(const Cliente &cliente) {
  const bool exists = std::any_of(m_allClientes.begin(), m_allClientes.end(),
                                  [&cliente](const Cliente &known) { return known.id == cliente.id; });
  const std::optional<QUuid> openRoute = m_formRoute ? std::optional(m_formRoute->id) : std::nullopt;
  m_tasks.run(
      saveCliente(m_repository, cliente, exists), [this] { load(); },
      [this, cliente, openRoute](const QString &description) {
        m_errorMessage = saveFailurePrefix() + description;
        // Nothing typed is lost: the form comes back with the customer and
        // why, unless the user has opened another form meanwhile.
        if (!m_formRoute || m_formRoute->id == openRoute)
          m_formRoute = Route::retry(cliente, *m_errorMessage);
        emit changed();
      });
}

void ClienteListViewModel::askDelete(const Cliente &cliente) {
  m_clienteToDelete = cliente;
  m_showDeleteConfirm = true;
  emit changed();
}

void ClienteListViewModel::cancelDelete() {
  m_showDeleteConfirm = false;
  emit changed();
}

void ClienteListViewModel::confirmDelete() {
  m_showDeleteConfirm = false;
  emit changed();
  if (!m_clienteToDelete)
    return;
  m_tasks.run(
      archiveCliente(m_repository, m_clienteToDelete->id), [this] { load(); },
      [this](const QString &description) {
        m_errorMessage = deleteFailurePrefix() + description;
        emit changed();
      });
}

} // namespace varnel
