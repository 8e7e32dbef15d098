#pragma once
// Screen model of the customer picker: searches the back-end for customers
// by legal or trade name; the newest search decides the list.

#include "base/Tasks.h"
#include "model/Cliente.h"
#include "repositories/ClienteRepository.h"

#include <QObject>

#include <optional>

namespace varnel {

class ClientePickerViewModel : public QObject {
  Q_OBJECT
public:
  static QString failurePrefix() { return QStringLiteral("Erro ao carregar clientes: "); }

  explicit ClientePickerViewModel(ClienteRepository repository, QObject *parent = nullptr);

  const QString &searchText() const { return m_searchText; }
  const QList<Cliente> &clientes() const { return m_clientes; }
  bool isLoading() const { return m_isLoading; }
  const std::optional<QString> &errorMessage() const { return m_errorMessage; }

  void setSearchText(const QString &text);
  // Asks the back-end for the customers matching searchText; a failure
  // keeps the earlier results.
  void search();

signals:
  void changed();

private:
  ClienteRepository m_repository;
  QString m_searchText;
  QList<Cliente> m_clientes;
  bool m_isLoading = false;
  std::optional<QString> m_errorMessage;
  Tasks m_tasks{this};
};

} // namespace varnel
