#include "Connection.h"

#include "repositories/AtendimentoExternoRepository.h"
#include "repositories/ClassificacaoRepository.h"
#include "repositories/ClienteRepository.h"
#include "repositories/ObjetivoRepository.h"
#include "repositories/ProfileRepository.h"
#include "repositories/ResponsavelPeloAtendimentoRepository.h"

using namespace varnel;
using namespace varnel::test;

namespace {

class RepositoryFlow : public ::testing::Test {
protected:
  LocalBackend &backend = LocalBackend::shared();
  std::unique_ptr<Connection> c;

  void SetUp() override {
    backend.reset();
    c = std::make_unique<Connection>(backend);
    c->signIn(backend.adminEmail(), backend.adminPassword());
  }

  std::string count(const std::string &table, const std::string &where = "true") {
    return backend.sqlValue("select count(*) from public." + table + " where " + where);
  }
};

template <class R> QStringList descriptions(const QList<R> &rows) {
  QStringList out;
  for (const R &r : rows)
    out.push_back(r.descricao);
  return out;
}

} // namespace

TEST_F(RepositoryFlow, CatalogCreateUpdateArchive) {
  ObjetivoRepository repo(c->client);
  Objetivo venda;
  venda.id = QUuid::createUuid();
  venda.descricao = QStringLiteral("Venda");
  Objetivo assist;
  assist.id = QUuid::createUuid();
  assist.descricao = QStringLiteral("Assistência (pós-venda), nível 1.5 \"extra\"");
  await(repo.create(venda));
  await(repo.create(assist));
  EXPECT_EQ(descriptions(await(repo.list())), (QStringList{assist.descricao, venda.descricao}));

  // Filter syntax in the search text is matched as text.
  EXPECT_EQ(descriptions(await(repo.list(QStringLiteral("(pós-venda), nível 1.5 \"")))), QStringList{assist.descricao});
  EXPECT_EQ(descriptions(await(repo.list(QStringLiteral(" VEND ")))), (QStringList{assist.descricao, venda.descricao}));
  EXPECT_TRUE(await(repo.list(QStringLiteral("venda,descricao.neq.x"))).isEmpty());
  Objetivo caminho;
  caminho.id = QUuid::createUuid();
  caminho.descricao = QStringLiteral("Pasta C:\\Fotos");
  await(repo.create(caminho));
  EXPECT_EQ(descriptions(await(repo.list(QStringLiteral("c:\\f")))), QStringList{caminho.descricao});
  await(repo.archive(caminho.id));

  venda.descricao = QStringLiteral("Venda direta");
  await(repo.update(venda));
  await(repo.archive(assist.id));
  EXPECT_EQ(descriptions(await(repo.list())), QStringList{QStringLiteral("Venda direta")});
  EXPECT_EQ(count("objetivo", "deleted_at is not null"), "2");
}

TEST_F(RepositoryFlow, ClientWritesSearchAndFetchByIds) {
  ClienteRepository repo(c->client);
  Cliente ana;
  ana.id = QUuid::createUuid();
  ana.nomeRazao = QStringLiteral("Agropecuária Silva Ltda");
  ana.nomeFantasia = QStringLiteral("FAZENDA ANA");
  ana.cpf = QStringLiteral("123.456.789-09");
  ana.cep = QStringLiteral("13000-000");
  ana.email = QStringLiteral("ana@fazenda.com");
  await(repo.create(ana));
  EXPECT_EQ(backend.sqlValue("select cpf || ' ' || cep from public.cliente"), "12345678909 13000-000");

  Cliente bia;
  bia.id = QUuid::createUuid();
  bia.nomeRazao = QStringLiteral("Bia, Irmãos & Cia (Matriz)");
  await(repo.create(bia));

  EXPECT_EQ(await(repo.list(QStringLiteral("ana"))).size(), 1);
  const auto found = await(repo.list(QStringLiteral("Irmãos & Cia (Matriz")));
  ASSERT_EQ(found.size(), 1);
  EXPECT_EQ(found[0].id, bia.id);

  ana.email.reset();
  ana.telefone = QStringLiteral("(19) 3333-0000");
  await(repo.update(ana));
  EXPECT_EQ(backend.sqlValue("select email from public.cliente where telefone is not null"), "ana@fazenda.com");

  await(repo.archive(bia.id));
  EXPECT_EQ(await(repo.list()).size(), 1);

  // The visit list asks for the customers of all its visits at once.
  QList<QUuid> ids;
  for (int i = 0; i < 400; ++i)
    ids.push_back(QUuid::createUuid());
  ids.insert(200, ana.id);
  ids.push_back(bia.id);
  ids.push_back(ana.id);
  const QList<Cliente> rows = await(repo.fetchByIds(ids));
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0].id, ana.id);
  EXPECT_EQ(rows[0].nomeFantasia, QStringLiteral("FAZENDA ANA"));
  EXPECT_FALSE(rows[0].cep); // short column list
}

TEST_F(RepositoryFlow, VisitCreateUpdateArchive) {
  ClienteRepository clientes(c->client);
  ResponsavelPeloAtendimentoRepository responsaveis(c->client);
  AtendimentoExternoRepository repo(c->client);
  const AuthUser user = c->store.session()->user;

  Cliente cliente;
  cliente.id = QUuid::createUuid();
  cliente.nomeRazao = QStringLiteral("Sítio Bom Retiro");
  await(clientes.create(cliente));
  const auto responsavel = await(responsaveis.ensureForUser(user.id, user.email));

  AtendimentoExterno older = AtendimentoExterno::create(cliente.id, responsavel.id);
  older.dataVisita = QDateTime::currentDateTime().addDays(-2);
  AtendimentoExterno visit = AtendimentoExterno::create(cliente.id, responsavel.id);
  visit.relatorio = QStringLiteral("Primeira visita");
  visit.imagem2Path = QStringLiteral("v/2.jpg");
  await(repo.create(older, user.id));
  await(repo.create(visit, user.id, QStringLiteral("POINT(-47.06 -22.9)")));

  QList<AtendimentoExterno> listed = await(repo.list());
  ASSERT_EQ(listed.size(), 2);
  EXPECT_EQ(listed[0].id, visit.id); // newest first
  EXPECT_EQ(listed[0].dataVisita.toMSecsSinceEpoch(), visit.dataVisita.toMSecsSinceEpoch());

  visit.imagem2Path.reset();
  visit.dataRelatorio = QDateTime::currentDateTime();
  visit.localizacao = QStringLiteral("POINT(0 0)"); // never written by an update
  await(repo.update(visit));
  const AtendimentoExterno fetched = await(repo.fetch(visit.id));
  EXPECT_EQ(fetched.imagem2Path, QStringLiteral("v/2.jpg"));
  EXPECT_TRUE(fetched.dataRelatorio);
  EXPECT_EQ(fetched.localizacao, QStringLiteral("POINT(-47.06 -22.9)"));

  await(repo.archive(visit.id));
  listed = await(repo.list());
  ASSERT_EQ(listed.size(), 1);
  EXPECT_EQ(listed[0].id, older.id);
  EXPECT_THROW(await(repo.fetch(visit.id)), VarnelError);
}

TEST_F(RepositoryFlow, EnsureForUserTwiceMakesOneRow) {
  ResponsavelPeloAtendimentoRepository repo(c->client);
  const std::string id = backend.sqlValue("select gen_random_uuid()::text");
  const QUuid userId = QUuid::fromString(qs(id));
  const auto first = await(repo.ensureForUser(userId, QStringLiteral(" Maria.Souza@X.com ")));
  const auto second = await(repo.ensureForUser(userId, QStringLiteral("outra@x.com")));
  EXPECT_EQ(first.nome, QStringLiteral("Maria Souza"));
  EXPECT_EQ(second, first);
  EXPECT_EQ(count("responsavel_pelo_atendimento", "id = '" + id + "'"), "1");
}

TEST_F(RepositoryFlow, ProfileSaveCreatesThenUpdates) {
  ProfileRepository repo(c->client);
  const QUuid userId = c->store.session()->user.id;
  Profile profile = await(repo.fetch(userId)).value_or(Profile{userId, {}, {}, {}, {}, {}, {}, {}});
  profile.assinatura = QStringLiteral("Dr. Admin — CRMV 1234");
  profile.createdAt.reset();
  profile.updatedAt.reset();
  await(repo.save(profile));
  EXPECT_EQ(await(repo.fetch(userId))->assinatura, QStringLiteral("Dr. Admin — CRMV 1234"));
  EXPECT_FALSE(await(repo.fetch(QUuid::createUuid())));
}
