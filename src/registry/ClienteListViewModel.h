#pragma once
// Screen model of "Clientes": loads the active customers, filters them as
// the user types, opens the customer form in a sheet, saves what the form
// hands back and archives a customer after confirmation.

#include "base/Tasks.h"
#include "model/Cliente.h"
#include "repositories/ClienteRepository.h"
#include "ui/FormRoute.h"

#include <QObject>

#include <optional>

namespace varnel {

class ClienteListViewModel : public QObject {
  Q_OBJECT
public:
  using Route = FormRoute<Cliente>;

  static QString loadFailurePrefix() { return QStringLiteral("Erro ao carregar clientes: "); }
  static QString saveFailurePrefix() { return QStringLiteral("Erro ao salvar: "); }
  static QString deleteFailurePrefix() { return QStringLiteral("Erro ao excluir: "); }

  explicit ClienteListViewModel(ClienteRepository repository, QObject *parent = nullptr);

  const QList<Cliente> &clientes() const { return m_clientes; }
  const QList<Cliente> &allClientes() const { return m_allClientes; }
  const QString &searchText() const { return m_searchText; }
  bool isLoading() const { return m_isLoading; }
  const std::optional<QString> &errorMessage() const { return m_errorMessage; }
  const std::optional<Route> &formRoute() const { return m_formRoute; }
  bool showDeleteConfirm() const { return m_showDeleteConfirm; }
  const std::optional<Cliente> &clienteToDelete() const { return m_clienteToDelete; }

  // The customers shown: those with the search in their legal or trade
  // name, CPF, CNPJ, city, e-mail or external code.
  QList<Cliente> filtered() const;
  static bool matches(const Cliente &cliente, const QString &query);

  void setSearchText(const QString &text);
  void load();

  void openNew();
  void openEdit(const Cliente &cliente);
  void sheetClosed(const QUuid &route);
  // Update when the customer is in allClientes, otherwise create. A failed
  // save opens the form again with the customer as it was typed.
  void save(const Cliente &cliente);

  void askDelete(const Cliente &cliente);
  void cancelDelete();
  void confirmDelete();

signals:
  void changed();

private:
  ClienteRepository m_repository;
  QList<Cliente> m_clientes;
  QList<Cliente> m_allClientes;
  QString m_searchText;
  bool m_isLoading = false;
  std::optional<QString> m_errorMessage;
  std::optional<Route> m_formRoute;
  bool m_showDeleteConfirm = false;
  std::optional<Cliente> m_clienteToDelete;
  Tasks m_tasks{this};
};

} // namespace varnel
