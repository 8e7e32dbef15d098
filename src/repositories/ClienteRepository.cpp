#include "repositories/ClienteRepository.h"

#include "backend/RestQuery.h"
#include "repositories/RepositorySupport.h"

#include <QSet>

namespace varnel {

const QString ClienteRepository::kFullColumns = QStringLiteral(
    "id, nome_razao, nome_fantasia, cpf, cnpj, endereco, bairro, cep, cidade, uf, telefone, whatsapp, email, "
    "codigo_externo, created_at, updated_at, deleted_at");
const QString ClienteRepository::kShortColumns = QStringLiteral("id, nome_razao, nome_fantasia, cpf, cnpj, deleted_at");

namespace {
void putOptional(wire::Json &j, const char *key, const std::optional<QString> &value) {
  if (value)
    j[key] = wire::utf8(*value);
}

void putFields(wire::Json &j, const Cliente &c) {
  j["nome_razao"] = wire::utf8(c.nomeRazao);
  putOptional(j, "nome_fantasia", c.nomeFantasia);
  putOptional(j, "cpf", c.cpf);
  putOptional(j, "cnpj", c.cnpj);
  putOptional(j, "endereco", c.endereco);
  putOptional(j, "bairro", c.bairro);
  putOptional(j, "cep", c.cep);
  putOptional(j, "cidade", c.cidade);
  putOptional(j, "uf", c.uf);
  putOptional(j, "telefone", c.telefone);
  putOptional(j, "whatsapp", c.whatsapp);
  putOptional(j, "email", c.email);
  putOptional(j, "codigo_externo", c.codigoExterno);
}
} // namespace

wire::Json ClienteRepository::Insert::toJson() const {
  wire::Json j = wire::Json::object();
  j["id"] = wire::uuidUtf8(cliente.id);
  putFields(j, cliente);
  return j;
}

wire::Json ClienteRepository::Update::toJson() const {
  wire::Json j = wire::Json::object();
  putFields(j, cliente);
  return j;
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

QCoro::Task<void> ClienteRepository::archive(QUuid id) const {
  RestQuery query = m_client->from(m_table);
  query.update(Patch{repo::archiveStamp()}).eq(QStringLiteral("id"), wire::uuidText(id));
  co_await query.execute();
}

} // namespace varnel
