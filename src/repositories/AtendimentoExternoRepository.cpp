#include "repositories/AtendimentoExternoRepository.h"

#include "backend/RestQuery.h"
#include "repositories/RepositorySupport.h"

namespace varnel {

const QString AtendimentoExternoRepository::kColumns =
    QStringLiteral("id,cliente_id,responsavel_id,data_visita,data_relatorio,datahorafinalizandoatendimento,objetivo_id,"
                   "objetivo_outros,classificacao_id,relatorio,participantes,localizacao,geofinalizado,imagem_1_path,"
                   "imagem_2_path,imagem_3_path,imagem_4_path,imagens_observacoes,created_at,updated_at,deleted_at");

namespace {
void putText(wire::Json &j, const char *key, const std::optional<QString> &value) {
  if (value)
    j[key] = wire::utf8(*value);
}
void putId(wire::Json &j, const char *key, const std::optional<QUuid> &value) {
  if (value)
    j[key] = wire::uuidUtf8(*value);
}
void putDate(wire::Json &j, const char *key, const std::optional<QDateTime> &value) {
  if (value)
    j[key] = wire::utf8(repo::localDateTimeText(*value));
}

// The columns both payloads share, from cliente_id to participantes.
void putHead(wire::Json &j, const AtendimentoExterno &v) {
  j["cliente_id"] = wire::uuidUtf8(v.clienteId);
  j["responsavel_id"] = wire::uuidUtf8(v.responsavelId);
  j["data_visita"] = wire::utf8(repo::localDateTimeText(v.dataVisita));
  putDate(j, "data_relatorio", v.dataRelatorio);
  putDate(j, "datahorafinalizandoatendimento", v.dataHoraFinalizandoAtendimento);
  putId(j, "objetivo_id", v.objetivoId);
  putText(j, "objetivo_outros", v.objetivoOutros);
  putId(j, "classificacao_id", v.classificacaoId);
  putText(j, "relatorio", v.relatorio);
  putText(j, "participantes", v.participantes);
}

void putImages(wire::Json &j, const AtendimentoExterno &v) {
  putText(j, "imagem_1_path", v.imagem1Path);
  putText(j, "imagem_2_path", v.imagem2Path);
  putText(j, "imagem_3_path", v.imagem3Path);
  putText(j, "imagem_4_path", v.imagem4Path);
  putText(j, "imagens_observacoes", v.imagensObservacoes);
}
} // namespace

wire::Json AtendimentoExternoRepository::Insert::toJson() const {
  wire::Json j = wire::Json::object();
  j["id"] = wire::uuidUtf8(visit.id);
  putId(j, "user_id", userId);
  putHead(j, visit);
  putText(j, "localizacao", localizacao);
  putText(j, "geofinalizado", geofinalizado);
  putImages(j, visit);
  return j;
}

wire::Json AtendimentoExternoRepository::Update::toJson() const {
  wire::Json j = wire::Json::object();
  putHead(j, visit);
  putText(j, "geofinalizado", visit.geofinalizado);
  putImages(j, visit);
  return j;
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
  RestQuery query = m_client->from(m_table);
  query.update(Patch{repo::archiveStamp()}).eq(QStringLiteral("id"), wire::uuidText(id));
  co_await query.execute();
}

} // namespace varnel
