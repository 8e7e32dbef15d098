#include "TestBackend.h"

#include "repositories/ClassificacaoRepository.h"
#include "repositories/ClienteRepository.h"
#include "repositories/ObjetivoRepository.h"

#include <QRegularExpression>

using namespace varnel;
using namespace varnel::test;

namespace {

const QUuid kId = QUuid::fromString(QStringLiteral("6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f"));
const QRegularExpression kArchiveBody(QStringLiteral(R"(^\{"deleted_at":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ"\}$)"));

class RepositoryTest : public ScriptedBackend {};

QByteArray queryOf(const HttpRequest &r) { return r.url.mid(r.url.indexOf('?') + 1); }

} // namespace

TEST_F(RepositoryTest, CatalogListsUnarchivedByDescriptionAndQuotesTheSearch) {
  ClassificacaoRepository classificacoes(client);
  ObjetivoRepository objetivos(client);
  struct Case {
    std::optional<QString> search;
    const char *orItem; // decoded value of "or", or nullptr when absent
  };
  const Case cases[] = {
      {std::nullopt, nullptr},
      {QStringLiteral(" \t\n "), nullptr},
      {QStringLiteral(" vac "), R"((descricao.ilike."%vac%"))"},
      // Filter syntax in the text is matched literally, never parsed.
      {QStringLiteral("a,descricao.eq.x)"), R"((descricao.ilike."%a,descricao.eq.x)%"))"},
      {QStringLiteral(R"(say "hi" \o/)"), R"((descricao.ilike."%say \"hi\" \\\\o/%"))"},
  };
  for (const Case &c : cases) {
    await(classificacoes.list(c.search));
    QList<QPair<QString, QString>> expected = {{"select", "*"}, {"deleted_at", "is.NULL"}};
    if (c.orItem)
      expected.push_back({"or", QString::fromUtf8(c.orItem)});
    expected.push_back({"order", "descricao.asc.nullslast"});
    EXPECT_EQ(queryItems(transport->last()), expected) << (c.search ? c.search->toStdString() : "none");
    EXPECT_EQ(pathOf(transport->last()), "https://abcdefgh.supabase.co/rest/v1/classificacao");
  }
  EXPECT_EQ(queryOf(transport->requests()[0]), "select=%2A&deleted_at=is.NULL&order=descricao.asc.nullslast");

  transport->reply(200, R"([{"id":"6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f","descricao":"Venda"}])");
  const QList<Objetivo> rows = await(objetivos.list());
  EXPECT_EQ(pathOf(transport->last()), "https://abcdefgh.supabase.co/rest/v1/objetivo");
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0].descricao, QStringLiteral("Venda"));
}

TEST_F(RepositoryTest, CatalogWritesSendExactlyTheirPayloads) {
  ClassificacaoRepository repo(client);
  Classificacao item;
  item.id = kId;
  item.descricao = QStringLiteral(" Vacinação ");
  item.createdAt = QDateTime::currentDateTimeUtc();
  item.deletedAt = QDateTime::currentDateTimeUtc();

  await(repo.create(item));
  EXPECT_EQ(transport->last().method, "POST");
  EXPECT_EQ(transport->last().body, R"({"id":"6F1C2D3E-4B5A-4C6D-8E9F-0A1B2C3D4E5F","descricao":" Vacinação "})");
  EXPECT_FALSE(transport->last().headers.contains("Prefer"));

  await(repo.update(item));
  EXPECT_EQ(transport->last().method, "PATCH");
  EXPECT_EQ(queryOf(transport->last()), "id=eq.6F1C2D3E-4B5A-4C6D-8E9F-0A1B2C3D4E5F");
  EXPECT_EQ(transport->last().body, R"({"descricao":" Vacinação "})");

  await(repo.archive(kId));
  EXPECT_EQ(transport->last().method, "PATCH");
  EXPECT_EQ(queryOf(transport->last()), "id=eq.6F1C2D3E-4B5A-4C6D-8E9F-0A1B2C3D4E5F");
  EXPECT_TRUE(kArchiveBody.match(QString::fromUtf8(*transport->last().body)).hasMatch())
      << transport->last().body->constData();
}

TEST_F(RepositoryTest, ClientListSelectsAllColumnsAndSearchesBothNames) {
  ClienteRepository repo(client);
  await(repo.list(QStringLiteral(" Ana ")));
  const QList<QPair<QString, QString>> expected = {
      {"select", "id,nome_razao,nome_fantasia,cpf,cnpj,endereco,bairro,cep,cidade,uf,telefone,whatsapp,email,"
                 "codigo_externo,created_at,updated_at,deleted_at"},
      {"deleted_at", "is.NULL"},
      {"or", R"((nome_razao.ilike."%Ana%",nome_fantasia.ilike."%Ana%"))"},
      {"order", "nome_razao.asc.nullslast"}};
  EXPECT_EQ(queryItems(transport->last()), expected);

  await(repo.list(QStringLiteral("   ")));
  EXPECT_EQ(queryItems(transport->last()).size(), 3);
}

TEST_F(RepositoryTest, ClientDocumentsGoOutAsDigitsAndTheRestUnchanged) {
  ClienteRepository repo(client);
  struct Case {
    std::optional<QString> cpf;
    std::optional<std::string> sent;
  };
  const Case cases[] = {
      {QStringLiteral("123.456.789-09"), "12345678909"},
      {QStringLiteral(".-/ "), std::nullopt},
      {QStringLiteral(""), std::nullopt},
      {std::nullopt, std::nullopt},
      // Every character Unicode counts as a number, not only ASCII digits.
      {QStringLiteral("١٢٣-4"), "١٢٣4"},
  };
  for (const Case &c : cases) {
    Cliente cliente;
    cliente.id = kId;
    cliente.nomeRazao = QStringLiteral("Fazenda Boa Vista");
    cliente.cpf = c.cpf;
    cliente.cnpj = QStringLiteral("12.345.678/0001-95");
    cliente.cep = QStringLiteral("01001-000");
    cliente.telefone = QStringLiteral(" (11) 9999-0000 ");
    await(repo.create(cliente));
    const auto body = bodyOf(transport->last());
    if (c.sent)
      EXPECT_EQ(body["cpf"], *c.sent);
    else
      EXPECT_FALSE(body.contains("cpf")) << body.dump();
    EXPECT_EQ(body["cnpj"], "12345678000195");
    EXPECT_EQ(body["cep"], "01001-000");
    EXPECT_EQ(body["telefone"], " (11) 9999-0000 ");
  }
  EXPECT_EQ(keysOf(bodyOf(transport->last())),
            (std::vector<std::string>{"id", "nome_razao", "cpf", "cnpj", "cep", "telefone"}));
}

TEST_F(RepositoryTest, ClientUpdateHasNoIdAndLeavesAbsentFieldsOut) {
  ClienteRepository repo(client);
  Cliente cliente;
  cliente.id = kId;
  cliente.nomeRazao = QStringLiteral("Ana");
  cliente.nomeFantasia = QStringLiteral("Sítio");
  await(repo.update(cliente));
  EXPECT_EQ(transport->last().method, "PATCH");
  EXPECT_EQ(queryOf(transport->last()), "id=eq.6F1C2D3E-4B5A-4C6D-8E9F-0A1B2C3D4E5F");
  EXPECT_EQ(transport->last().body, R"({"nome_razao":"Ana","nome_fantasia":"Sítio"})");

  await(repo.archive(kId));
  EXPECT_TRUE(kArchiveBody.match(QString::fromUtf8(*transport->last().body)).hasMatch());
}

TEST_F(RepositoryTest, FetchByIdsDeduplicatesAndSkipsTheRequestWhenEmpty) {
  ClienteRepository repo(client);
  EXPECT_TRUE(await(repo.fetchByIds({})).isEmpty());
  EXPECT_TRUE(transport->requests().isEmpty());

  await(repo.fetchByIds({kId, kId, kId}));
  ASSERT_EQ(transport->requests().size(), 1);
  const QList<QPair<QString, QString>> expected = {{"select", "id,nome_razao,nome_fantasia,cpf,cnpj,deleted_at"},
                                                   {"id", "in.(6F1C2D3E-4B5A-4C6D-8E9F-0A1B2C3D4E5F)"},
                                                   {"deleted_at", "is.NULL"}};
  EXPECT_EQ(queryItems(transport->last()), expected);
}

TEST_F(RepositoryTest, FetchByIdsSplitsLongListsAndJoinsTheRows) {
  ClienteRepository repo(client);
  QList<QUuid> ids;
  for (int i = 0; i < 450; ++i)
    ids.push_back(QUuid::createUuid());
  ids.append(ids.mid(0, 50)); // repeats do not make more requests
  transport->setHandler([](const HttpRequest &request) {
    // Answers one row per requested identifier.
    const QString in = queryItems(request)[1].second;
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (const QString &id : in.mid(4, in.size() - 5).split(QLatin1Char(',')))
      rows.push_back({{"id", id.toStdString()}, {"nome_razao", "C"}});
    return HttpResponse{200, {}, QByteArray::fromStdString(rows.dump())};
  });

  const QList<Cliente> rows = await(repo.fetchByIds(ids));
  ASSERT_EQ(transport->requests().size(), 5);
  QSet<QUuid> asked;
  for (const HttpRequest &r : transport->requests()) {
    EXPECT_LT(r.url.size(), 6000);
    const auto items = queryItems(r);
    EXPECT_EQ(items[0].first, QStringLiteral("select"));
    EXPECT_EQ(items[2], (QPair<QString, QString>{"deleted_at", "is.NULL"}));
    for (const QString &id : items[1].second.mid(4).chopped(1).split(QLatin1Char(',')))
      asked.insert(QUuid::fromString(id));
  }
  EXPECT_EQ(asked.size(), 450);
  EXPECT_EQ(rows.size(), 450);
  for (const QUuid &id : ids)
    EXPECT_TRUE(asked.contains(id));
}
