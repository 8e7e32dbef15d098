#include "registry/ClientePickerViewModel.h"

namespace varnel {

namespace {
QCoro::Task<QList<Cliente>> searchClientes(ClienteRepository repository, QString search) {
  std::optional<QString> term = std::move(search);
  QList<Cliente> clientes = co_await repository.list(std::move(term));
  co_return clientes;
}
} // namespace

ClientePickerViewModel::ClientePickerViewModel(ClienteRepository repository, QObject *parent)
    : QObject(parent), m_repository(std::move(repository)) {}

void ClientePickerViewModel::setSearchText(const QString &text) {
  if (text == m_searchText)
    return;
  m_searchText = text;
  emit changed();
}

void ClientePickerViewModel::search() {
  m_isLoading = true;
  m_errorMessage.reset();
  emit changed();
  m_tasks.runLatest(
      QStringLiteral("search"), searchClientes(m_repository, m_searchText),
      [this](QList<Cliente> clientes) {
        m_clientes = std::move(clientes);
        m_isLoading = false;
        emit changed();
      },
      [this](const QString &description) {
        m_errorMessage = failurePrefix() + description;
        m_isLoading = false;
        emit changed();
      });
}

} // namespace varnel
