#pragma once
// The repository shape that both visit catalogs share: list the unarchived
// entries by description, create, rename and archive. Each catalog is an
// instance of it with its own record type and table.

#include "backend/BackendClient.h"
#include "backend/RestQuery.h"
#include "repositories/RepositorySupport.h"

#include <QCoroTask>

namespace varnel {

template <class Record> class CatalogRepository {
public:
  struct Insert {
    Record item;
    wire::Json toJson() const { return wire::encodeExcept(item, {"created_at", "updated_at", "deleted_at"}); }
  };
  struct Update {
    Record item;
    wire::Json toJson() const { return wire::encodeExcept(item, {"id", "created_at", "updated_at", "deleted_at"}); }
  };

  CatalogRepository(BackendClient &client, QString table) : m_client(&client), m_table(std::move(table)) {}

  const QString &table() const { return m_table; }

  // Unarchived entries, by description; a search keeps those whose
  // description contains it, ignoring case.
  QCoro::Task<QList<Record>> list(std::optional<QString> search = std::nullopt) const {
    RestQuery query = m_client->from(m_table);
    query.select(QStringLiteral("*")).isNull(QStringLiteral("deleted_at"));
    if (const auto term = repo::searchTerm(search))
      query.orFilter(repo::ilikeCondition(QStringLiteral("descricao"), *term));
    query.order(QStringLiteral("descricao"), true, false);
    QList<Record> rows = co_await query.template executeDecoding<QList<Record>>();
    co_return rows;
  }

  QCoro::Task<void> create(Record item) const {
    RestQuery query = m_client->from(m_table);
    query.insert(Insert{std::move(item)});
    co_await query.execute();
  }

  QCoro::Task<void> update(Record item) const {
    RestQuery query = m_client->from(m_table);
    const QString id = wire::uuidText(item.id);
    query.update(Update{std::move(item)}).eq(QStringLiteral("id"), id);
    co_await query.execute();
  }

  QCoro::Task<void> archive(QUuid id) const { return repo::archiveRow(m_client, m_table, id); }

private:
  BackendClient *m_client;
  QString m_table;
};

} // namespace varnel
