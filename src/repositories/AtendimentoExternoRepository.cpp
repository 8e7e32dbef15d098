#include "repositories/AtendimentoExternoRepository.h"

#include "backend/RestQuery.h"
#include "repositories/RepositorySupport.h"

namespace varnel {

const QString AtendimentoExternoRepository::kColumns = wire::columnList<AtendimentoExterno>(u",");

namespace {
// Visit dates go out with the device's offset and milliseconds.
QString visitDateText(const QDateTime &value) { return repo::localDateTimeText(value); }
} // namespace

wire::Json AtendimentoExternoRepository::Insert::toJson() const {
  AtendimentoExterno row = visit;
  row.localizacao = localizacao;
  row.geofinalizado = geofinalizado;
  wire::Json j = wire::Json::object();
  j["id"] = wire::uuidUtf8(visit.id);
  if (userId)
    j["user_id"] = wire::uuidUtf8(*userId);
  j.update(wire::encodeExcept(row, {"id", "created_at", "updated_at", "deleted_at"}, visitDateText));
  return j;
}

wire::Json AtendimentoExternoRepository::Update::toJson() const {
  return wire::encodeExcept(visit, {"id", "localizacao", "created_at", "updated_at", "deleted_at"}, visitDateText);
}

AtendimentoExternoRepository::AtendimentoExternoRepository(BackendClient &client, QString table)
    : m_client(&client), m_table(std::move(table)) {}

QCoro::Task<QList<AtendimentoExterno>> AtendimentoExternoRepository::list(CancellationToken cancellation) const {
  RestQuery query = m_client->from(m_table);
  query.select(kColumns).isNull(QStringLiteral("deleted_at")).order(QStringLiteral("data_visita"), false, false);
  query.cancelWith(std::move(cancellation));
  QList<AtendimentoExterno> rows = co_await query.executeDecoding<QList<AtendimentoExterno>>();
  co_return rows;
}

QCoro::Task<AtendimentoExterno> AtendimentoExternoRepository::fetch(QUuid id) const {
  RestQuery query = m_client->from(m_table);
  query.select(kColumns).eq(QStringLiteral("id"), wire::uuidText(id)).isNull(QStringLiteral("deleted_at")).single();
  AtendimentoExterno visit = co_await query.executeDecoding<AtendimentoExterno>();
  co_return visit;
}

QCoro::Task<void> AtendimentoExternoRepository::create(AtendimentoExterno visit, std::optional<QUuid> userId,
                                                       std::optional<QString> startLocation,
                                                       std::optional<QString> endLocation) const {
  const Insert payload{std::move(visit), userId, std::move(startLocation), std::move(endLocation)};
  RestQuery query = m_client->from(m_table);
  query.insert(payload);
  co_await query.execute();
}

QCoro::Task<void> AtendimentoExternoRepository::update(AtendimentoExterno visit) const {
  const QString id = wire::uuidText(visit.id);
  const Update payload{std::move(visit)};
  RestQuery query = m_client->from(m_table);
  query.update(payload).eq(QStringLiteral("id"), id);
  co_await query.execute();
}

QCoro::Task<void> AtendimentoExternoRepository::archive(QUuid id) const {
  return repo::archiveRow(m_client, m_table, id);
}

} // namespace varnel
