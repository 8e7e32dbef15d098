#pragma once
// The customers ("cliente"): list and search, fetch a set by identifier,
// create, update and archive. CPF and CNPJ go out as digits only.

#include "backend/BackendClient.h"
#include "model/Cliente.h"

#include <QCoroTask>

namespace varnel {

class ClienteRepository {
public:
  // Every column, as list() reads them.
  static const QString kFullColumns;
  // What fetchByIds() reads: enough to name a customer.
  static const QString kShortColumns;
  // Identifiers per fetchByIds() request, so each URL stays far below the
  // 8 KB that HTTP gateways commonly accept.
  static constexpr qsizetype kIdsPerRequest = 100;

  // Both payloads leave absent fields out, so a write never clears a column.
  struct Insert {
    Cliente cliente; // cpf and cnpj already reduced to digits
    wire::Json toJson() const;
  };
  struct Update {
    Cliente cliente;
    wire::Json toJson() const;
  };

  explicit ClienteRepository(BackendClient &client, QString table = QStringLiteral("cliente"));

  // Unarchived customers by legal name; a search keeps those whose legal or
  // trade name contains it, ignoring case.
  QCoro::Task<QList<Cliente>> list(std::optional<QString> search = std::nullopt) const;
  // The unarchived customers among ids (short columns), in no particular order.
  QCoro::Task<QList<Cliente>> fetchByIds(QList<QUuid> ids) const;
  QCoro::Task<void> create(Cliente cliente) const;
  QCoro::Task<void> update(Cliente cliente) const;
  QCoro::Task<void> archive(QUuid id) const;

  // The customer as it is written: CPF and CNPJ as digits, absent when none remain.
  static Cliente normalized(Cliente cliente);

private:
  BackendClient *m_client;
  QString m_table;
};

} // namespace varnel
