#include "Connection.h"

#include "repositories/UsuarioSistemaRepository.h"

using namespace varnel;
using namespace varnel::test;

namespace {

class UserFlow : public ::testing::Test {
protected:
  LocalBackend &backend = LocalBackend::shared();
  std::unique_ptr<Connection> c;

  void SetUp() override {
    backend.reset();
    c = std::make_unique<Connection>(backend);
  }

  static UsuarioSistemaInput input(const QString &email) {
    return UsuarioSistemaInput{QStringLiteral("Carla Dias"), email,     QStringLiteral("senha-forte-1"),
                               QStringLiteral("Campinas"),   QString(), UsuarioSistemaRole::veterinario};
  }
};

} // namespace

TEST_F(UserFlow, AdministratorCreatesAUserAndStaysSignedIn) {
  c->signIn(backend.adminEmail(), backend.adminPassword());
  UsuarioSistemaRepository repo(c->client);
  await(repo.createUser(input(QStringLiteral("carla@varnel.local"))));

  EXPECT_EQ(c->client.auth().currentSession()->user.email, qs(backend.adminEmail()));
  EXPECT_EQ(backend.sqlValue("select nome || '/' || role || '/' || cidade from public.profiles where email = "
                             "'carla@varnel.local'"),
            "Carla Dias/veterinario/Campinas");
  EXPECT_EQ(backend.sqlValue("select count(*) from public.responsavel_pelo_atendimento r join public.profiles p on "
                             "p.user_id = r.id where p.email = 'carla@varnel.local'"),
            "1");
  EXPECT_TRUE(await(repo.isAdministrator(c->store.session()->user.id)));

  // The same e-mail again: the sign-up fails, the administrator is still current.
  EXPECT_THROW(await(repo.createUser(input(QStringLiteral("carla@varnel.local")))), VarnelError);
  EXPECT_EQ(c->client.auth().currentSession()->user.email, qs(backend.adminEmail()));

  Connection carla(backend);
  carla.signIn("carla@varnel.local", "senha-forte-1");
  EXPECT_FALSE(await(UsuarioSistemaRepository(carla.client).isAdministrator(carla.store.session()->user.id)));
}

TEST_F(UserFlow, AdministratorSetsAnotherUsersPassword) {
  const std::string id = backend.createUser("davi@varnel.local", "senha-antiga-1", "Davi");
  c->signIn(backend.adminEmail(), backend.adminPassword());
  UsuarioSistemaRepository repo(c->client);
  UsuarioSistemaInput changed = input(QStringLiteral("davi@varnel.local"));
  changed.nome = QStringLiteral("Davi Souza");
  await(repo.adminUpdateUser(QUuid::fromString(qs(id)), changed, QStringLiteral("senha-nova-2")));

  Connection davi(backend);
  EXPECT_THROW(davi.signIn("davi@varnel.local", "senha-antiga-1"), AuthError);
  davi.signIn("davi@varnel.local", "senha-nova-2");
  EXPECT_TRUE(davi.store.isAuthenticated());
}

TEST_F(UserFlow, AConsultantGetsTheFunctionsRefusal) {
  const std::string id = backend.createUser("eva@varnel.local", "senha-eva-1", "Eva");
  c->signIn(backend.consultantEmail(), backend.consultantPassword());
  UsuarioSistemaRepository repo(c->client);
  try {
    await(repo.adminUpdateUser(QUuid::fromString(qs(id)), input(QStringLiteral("eva@varnel.local")),
                               QStringLiteral("invasao-123")));
    FAIL();
  } catch (const UsuarioSistemaRepositoryError &error) {
    EXPECT_EQ(error.kind(), UsuarioSistemaRepositoryError::Kind::edgeFunctionError);
    EXPECT_EQ(error.description(),
              QStringLiteral("Apenas Administradores podem alterar dados e senha de outros usuários."));
  }
}

TEST_F(UserFlow, UsersChangeTheirOwnPasswordAndDetails) {
  const std::string id = backend.createUser("fabio@varnel.local", "senha-fabio-1", "Fabio");
  c->signIn("fabio@varnel.local", "senha-fabio-1");
  UsuarioSistemaRepository repo(c->client);
  await(repo.updateOwnPassword(QStringLiteral("outra-senha-2")));
  UsuarioSistemaInput changed = input(QStringLiteral("fabio@varnel.local"));
  changed.nome = QStringLiteral("Fábio Nunes");
  await(repo.updateUser(QUuid::fromString(qs(id)), changed));
  EXPECT_EQ(backend.sqlValue("select nome from public.responsavel_pelo_atendimento where id = $1", {id}),
            "Fábio Nunes");

  Connection again(backend);
  again.signIn("fabio@varnel.local", "outra-senha-2");
  EXPECT_TRUE(again.store.isAuthenticated());
}
