#include "repositories/ClienteRepository.h"

#include "backend/RestQuery.h"
#include "repositories/RepositorySupport.h"

#include <QSet>

namespace varnel {

const QString ClienteRepository::kFullColumns = wire::columnList<Cliente>(u", ");
const QString ClienteRepository::kShortColumns =
    wire::columnList<Cliente>(u", ", {"id", "nome_razao", "nome_fantasia", "cpf", "cnpj", "deleted_at"});

wire::Json ClienteRepository::Insert::toJson() const {
  return wire::encodeExcept(cliente, {"created_at", "updated_at", "deleted_at"});
}

wire::Json ClienteRepository::Update::toJson() const {
  return wire::encodeExcept(cliente, {"id", "created_at", "updated_at", "deleted_at"});
}

ClienteRepository::ClienteRepository(BackendClient &client, QString table)
    : m_client(&client), m_table(std::move(table)) {}

Cliente ClienteRepository::normalized(Cliente cliente) {
  cliente.cpf = repo::documentDigits(cliente.cpf);
  cliente.cnpj = repo::documentDigits(cliente.cnpj);
  return cliente;
}

QCoro::Task<QList<Cliente>> ClienteRepository::list(std::optional<QString> search) const {
  RestQuery query = m_client->from(m_table);
  query.select(kFullColumns).isNull(QStringLiteral("deleted_at"));
  if (const auto term = repo::searchTerm(search))
    query.orFilter(repo::ilikeCondition(QStringLiteral("nome_razao"), *term) + QLatin1Char(',') +
                   repo::ilikeCondition(QStringLiteral("nome_fantasia"), *term));
  query.order(QStringLiteral("nome_razao"), true, false);
  QList<Cliente> rows = co_await query.executeDecoding<QList<Cliente>>();
  co_return rows;
}

QCoro::Task<QList<Cliente>> ClienteRepository::fetchByIds(QList<QUuid> ids) const {
  QStringList unique;
  QSet<QUuid> seen;
  for (const QUuid &id : ids) {
    if (!seen.contains(id)) {
      seen.insert(id);
      unique.push_back(wire::uuidText(id));
    }
  }
  QList<Cliente> result;
  for (qsizetype start = 0; start < unique.size(); start += kIdsPerRequest) {
    RestQuery query = m_client->from(m_table);
    query.select(kShortColumns)
        .in(QStringLiteral("id"), unique.mid(start, kIdsPerRequest))
        .isNull(QStringLiteral("deleted_at"));
    const QList<Cliente> rows = co_await query.executeDecoding<QList<Cliente>>();
    result.append(rows);
  }
  co_return result;
}

QCoro::Task<void> ClienteRepository::create(Cliente cliente) const {
  RestQuery query = m_client->from(m_table);
  query.insert(Insert{normalized(std::move(cliente))});
  co_await query.execute();
}

QCoro::Task<void> ClienteRepository::update(Cliente cliente) const {
  const QString id = wire::uuidText(cliente.id);
  RestQuery query = m_client->from(m_table);
  query.update(Update{normalized(std::move(cliente))}).eq(QStringLiteral("id"), id);
  co_await query.execute();
}

QCoro::Task<void> ClienteRepository::archive(QUuid id) const { return repo::archiveRow(m_client, m_table, id); }

} // namespace varnel
