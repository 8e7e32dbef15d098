#include "TestBackend.h"

#include "repositories/UsuarioSistemaRepository.h"

using namespace varnel;
using namespace varnel::test;

namespace {

const QUuid kTarget = QUuid::fromString(QStringLiteral("ABCDEF00-1111-4222-8333-444444444444"));
const QString kNewUser = QStringLiteral("99999999-2222-4333-8444-555555555555");

UsuarioSistemaInput input() {
  return UsuarioSistemaInput{
      QStringLiteral("Bruno Lima"),   QStringLiteral("bruno@x.com"), QStringLiteral("s3nha!"), QString(), QString(),
      UsuarioSistemaRole::veterinario};
}

class UsuarioSistemaTest : public ScriptedBackend {
protected:
  UsuarioSistemaRepository repo{client};

  QString adminUpdateError(int status, const QByteArray &body, HttpHeaders headers = {}) {
    signInDirectly();
    transport->reply(status, body, std::move(headers));
    try {
      await(repo.adminUpdateUser(kTarget, input(), std::nullopt));
    } catch (const VarnelError &error) {
      return error.description();
    }
    return QStringLiteral("<success>");
  }
};

} // namespace

TEST(AdministratorRole, IgnoresBlanksCaseAndAccents) {
  for (const char *yes : {"administrador", " Administrador\n", "ADMINISTRADOR", "administradór", "ADMINISTRADÔR"})
    EXPECT_TRUE(UsuarioSistemaRepository::isAdministratorRole(QString::fromUtf8(yes))) << yes;
  for (const char *no : {"admin", "veterinario", "", "administradores"})
    EXPECT_FALSE(UsuarioSistemaRepository::isAdministratorRole(QString::fromUtf8(no))) << no;
}

TEST_F(UsuarioSistemaTest, IsAdministratorReadsTheProfileRole) {
  EXPECT_FALSE(await(repo.isAdministrator(std::nullopt)));
  EXPECT_TRUE(transport->requests().isEmpty());

  transport->reply(200, R"([{"user_id":"abcdef00-1111-4222-8333-444444444444","role":" Administrador "}])");
  EXPECT_TRUE(await(repo.isAdministrator(kTarget)));
  EXPECT_EQ(pathOf(transport->last()), "https://abcdefgh.supabase.co/rest/v1/profiles");
  transport->reply(200, "[]");
  EXPECT_FALSE(await(repo.isAdministrator(kTarget)));
}

TEST_F(UsuarioSistemaTest, AdminUpdateCallsTheFunctionWithTheAdministratorsToken) {
  signInDirectly(QStringLiteral("admin-token"));
  transport->reply(200, R"({"success":true,"error":"ignored"})");
  await(repo.adminUpdateUser(kTarget, input(), std::nullopt));
  const HttpRequest &r = transport->last();
  EXPECT_EQ(r.method, "POST");
  EXPECT_EQ(r.url, "https://abcdefgh.supabase.co/functions/v1/admin-update-user-password");
  EXPECT_EQ(r.headers.value("Authorization"), "Bearer admin-token");
  EXPECT_EQ(r.headers.value("Apikey"), "anon");
  EXPECT_EQ(r.headers.value("Content-Type"), "application/json");
  EXPECT_EQ(
      r.body,
      R"({"userId":"abcdef00-1111-4222-8333-444444444444","nome":"Bruno Lima","email":"bruno@x.com","role":"veterinario"})");

  UsuarioSistemaInput full = input();
  full.cidade = QStringLiteral("Campinas");
  full.assinatura = QStringLiteral("Dr. Bruno");
  full.role = UsuarioSistemaRole::administrador;
  transport->reply(200, R"({"success":true})");
  await(repo.adminUpdateUser(kTarget, full, QStringLiteral(" nova ")));
  EXPECT_EQ(keysOf(bodyOf(transport->last())),
            (std::vector<std::string>{"userId", "nome", "email", "cidade", "assinatura", "role", "password"}));
  EXPECT_EQ(bodyOf(transport->last())["password"], " nova ");
}

TEST_F(UsuarioSistemaTest, AdminUpdateWithoutSessionFailsBeforeAnyRequest) {
  try {
    await(repo.adminUpdateUser(kTarget, input(), QStringLiteral("x")));
    FAIL();
  } catch (const UsuarioSistemaRepositoryError &error) {
    EXPECT_EQ(error.kind(), UsuarioSistemaRepositoryError::Kind::message);
    EXPECT_EQ(error.description(), QStringLiteral("Sessão do Administrador não encontrada. Saia do sistema e entre "
                                                  "novamente antes de alterar a senha de outro usuário."));
  }
  EXPECT_TRUE(transport->requests().isEmpty());
}

TEST_F(UsuarioSistemaTest, FunctionFailuresAreDescribedForTheAdministrator) {
  const QString notPublished = QStringLiteral(
      "A função admin-update-user-password ainda não está publicada no Supabase. Publique a Edge Function para "
      "permitir que Administradores alterem senha de outros usuários.");
  const QString sessionRejected = QStringLiteral(
      "A sessão do Administrador não foi aceita pela Edge Function. Saia do sistema, entre novamente e tente alterar "
      "a senha outra vez.");
  struct Case {
    int status;
    QByteArray body;
    QString text;
  };
  const Case cases[] = {
      {404, R"({"error":"Function not found"})", notPublished},
      {404, "Requested function was not found", notPublished},
      {401, R"({"message":"Invalid credentials"})", sessionRejected},
      {401, "invalid CREDENTIALS", sessionRejected},
      {403, R"({"error":"Apenas administradores podem alterar outros usuários."})",
       QStringLiteral("Apenas administradores podem alterar outros usuários.")},
      {400, R"({"error":"","message":"usado só sem error"})",
       QStringLiteral(R"(Edge Function retornou HTTP 400: {"error":"","message":"usado só sem error"})")},
      {500, "  upstream crashed\n", QStringLiteral("Edge Function retornou HTTP 500:   upstream crashed\n")},
      {500, "",
       QStringLiteral("Edge Function retornou HTTP 500. Verifique se a função admin-update-user-password "
                      "está publicada no Supabase.")},
      {502, QByteArray("\xff\xfe", 2),
       QStringLiteral("Edge Function retornou HTTP 502. Verifique se a função "
                      "admin-update-user-password está publicada no Supabase.")},
      {200, R"({"success":false})", QStringLiteral("Não foi possível salvar o usuário.")},
      {200, R"({"error":"E-mail já usado"})", QStringLiteral("E-mail já usado")},
  };
  for (const Case &c : cases)
    EXPECT_EQ(adminUpdateError(c.status, c.body), c.text) << c.status << " " << c.body.constData();

  HttpHeaders relay;
  relay.set("x-relay-error", "true");
  EXPECT_EQ(adminUpdateError(200, R"({"success":true})", relay),
            QStringLiteral("Relay Error invoking the Edge Function"));
  EXPECT_EQ(UsuarioSistemaRepositoryError::passwordUpdateFailed().description(),
            QStringLiteral("Não foi possível alterar a senha do usuário."));
}

TEST_F(UsuarioSistemaTest, CreateUserWritesBothRowsAndPutsTheAdministratorBack) {
  const QString adminToken = jwtWithExpiry(kNow + 3600);
  signInDirectly(adminToken, QStringLiteral("admin-refresh"));
  transport->reply(200, sessionReply(QStringLiteral("new-user-token"), QStringLiteral("nr"), kNow + 3600, kNewUser,
                                     QStringLiteral("bruno@x.com")));
  transport->reply(200, "[]");                                                                   // profile fetch
  transport->reply(201, "");                                                                     // profile insert
  transport->reply(200, "[]");                                                                   // responsible list
  transport->reply(201, "");                                                                     // responsible insert
  transport->reply(200, R"({"id":"11111111-2222-4333-8444-555555555555","email":"ana@x.com"})"); // restore
  await(repo.createUser(input()));

  const auto &rs = transport->requests();
  ASSERT_EQ(rs.size(), 6);
  EXPECT_EQ(bodyOf(rs[0])["data"], (nlohmann::ordered_json{{"nome", "Bruno Lima"}, {"role", "veterinario"}}));
  EXPECT_EQ(rs[2].body, R"({"user_id":")" + kNewUser.toUpper().toLatin1() +
                            R"(","nome":"Bruno Lima","email":"bruno@x.com","role":"veterinario"})");
  EXPECT_EQ(rs[4].body, R"({"id":")" + kNewUser.toUpper().toLatin1() +
                            R"(","nome":"Bruno Lima","email":"bruno@x.com","role":"veterinario"})");
  EXPECT_EQ(rs[5].url, "https://abcdefgh.supabase.co/auth/v1/user");
  EXPECT_EQ(rs[5].headers.value("Authorization"), "Bearer " + adminToken.toLatin1());
  EXPECT_EQ(client.auth().currentSession()->accessToken, adminToken);
}

TEST_F(UsuarioSistemaTest, CreateUserRestoresTheAdministratorAfterAFailedStep) {
  const QString adminToken = jwtWithExpiry(kNow + 3600);
  signInDirectly(adminToken, QStringLiteral("admin-refresh"));
  transport->reply(200, sessionReply(QStringLiteral("new-user-token"), QStringLiteral("nr"), kNow + 3600, kNewUser));
  transport->reply(200, "[]");
  transport->reply(403, R"({"message":"new row violates row-level security policy"})");
  transport->reply(200, R"({"id":"11111111-2222-4333-8444-555555555555"})");
  try {
    await(repo.createUser(input()));
    FAIL();
  } catch (const BackendError &error) {
    EXPECT_EQ(error.description(), QStringLiteral("new row violates row-level security policy"));
  }
  EXPECT_EQ(client.auth().currentSession()->accessToken, adminToken);

  // A sign-up refused outright, with the restore failing too: the sign-up's error wins.
  transport->reply(422, R"({"msg":"User already registered"})");
  transport->failWith(QStringLiteral("Network unreachable"));
  try {
    await(repo.createUser(input()));
    FAIL();
  } catch (const AuthError &error) {
    EXPECT_EQ(error.description(), QStringLiteral("User already registered"));
  }
}

TEST_F(UsuarioSistemaTest, UpdateUserRepairsMissingRowsAndOwnPasswordGoesToTheAuthService) {
  transport->reply(200, "[]"); // no profile yet
  transport->reply(201, "");
  transport->reply(200, "[]"); // no responsible yet
  transport->reply(201, "");
  transport->reply(200, "[]");
  UsuarioSistemaInput changed = input();
  changed.cidade = QStringLiteral("Campinas");
  await(repo.updateUser(kTarget, changed));
  const auto &rs = transport->requests();
  ASSERT_EQ(rs.size(), 5);
  EXPECT_EQ(rs[1].method, "POST");
  EXPECT_EQ(rs[3].method, "POST");
  EXPECT_EQ(rs[4].method, "PATCH");
  EXPECT_EQ(rs[4].body, R"({"nome":"Bruno Lima","email":"bruno@x.com","cidade":"Campinas","role":"veterinario"})");

  signInDirectly(QStringLiteral("me"));
  transport->reply(200, R"({"id":"11111111-2222-4333-8444-555555555555"})");
  await(repo.updateOwnPassword(QStringLiteral(" com espaços ")));
  EXPECT_EQ(transport->last().method, "PUT");
  EXPECT_EQ(transport->last().headers.value("Authorization"), "Bearer me");
  EXPECT_EQ(transport->last().body, R"({"password":" com espaços "})");
}
