// File download and the administrator's user-update function.
#include "HttpSupport.h"

#include <gtest/gtest.h>

namespace varnel::test {
namespace {

TEST(Storage, SignedInCallersDownloadStoredObjects) {
  auto &b = LocalBackend::shared();
  b.reset();
  b.sql("insert into storage.objects (bucket_id, name, mimetype, content) values "
        "('atendimento_imagem', 'visita/imagem 1.png', 'image/png', '\\x89504e470d0a'::bytea)");
  Api api(b);
  api.signInAs(b.consultantEmail(), b.consultantPassword());

  Reply r = api.get("/storage/v1/object/atendimento_imagem/visita/imagem%201.png");
  ASSERT_EQ(r.status, 200);
  EXPECT_EQ(r.body, std::string("\x89PNG\r\n", 6));
  EXPECT_EQ(r.header("Content-Type"), "image/png");

  Reply part = api.get("/storage/v1/object/atendimento_imagem/visita/imagem%201.png", {{"Range", "bytes=1-3"}});
  EXPECT_EQ(part.status, 206);
  EXPECT_EQ(part.body, "PNG");
  EXPECT_EQ(part.header("Content-Range"), "bytes 1-3/6");

  Reply missing = api.get("/storage/v1/object/atendimento_imagem/visita/nao-existe.png");
  EXPECT_EQ(missing.status, 404);
  EXPECT_EQ(missing.json(), Json({{"statusCode", "404"}, {"error", "not_found"}, {"message", "Object not found"}}));
}

class AdminFunctionTest : public ::testing::Test {
protected:
  void SetUp() override {
    b.reset();
    target = b.createUser("alvo@varnel.local", "senha-alvo", "Alvo Antigo");
    b.sql("update public.profiles set cidade = 'Antiga', assinatura = 'Assinatura antiga' where user_id = $1",
          {target});
    admin.signInAs(b.adminEmail(), b.adminPassword());
  }

  Json payload() const {
    return {{"userId", target},
            {"nome", "Alvo Novo"},
            {"email", "Alvo.Novo@varnel.local"},
            {"role", "administrador"},
            {"password", "senha-nova"}};
  }

  Reply invoke(const Api &caller, const Json &body) const {
    return caller.post("/functions/v1/admin-update-user-password", body);
  }

  const LocalBackend &b = LocalBackend::shared();
  Api admin{LocalBackend::shared()};
  std::string target;
};

TEST_F(AdminFunctionTest, AppliesEveryFieldToAccountProfileAndResponsible) {
  Reply r = invoke(admin, payload());
  ASSERT_EQ(r.status, 200) << r.body;
  EXPECT_EQ(r.json(), Json({{"success", true}}));

  EXPECT_EQ(admin.signIn("alvo.novo@varnel.local", "senha-nova").status, 200);
  EXPECT_EQ(admin.signIn("alvo@varnel.local", "senha-alvo").status, 400);
  // cidade and assinatura were left out: the user has none any more.
  EXPECT_EQ(b.sql("select nome, email, cidade, assinatura, role from public.profiles where user_id = $1", {target}),
            (std::vector<std::vector<std::string>>{
                {"Alvo Novo", "alvo.novo@varnel.local", "<null>", "<null>", "administrador"}}));
  EXPECT_EQ(b.sql("select nome, email, role from public.responsavel_pelo_atendimento where id = $1", {target}),
            (std::vector<std::vector<std::string>>{{"Alvo Novo", "alvo.novo@varnel.local", "administrador"}}));
}

TEST_F(AdminFunctionTest, WithoutPasswordKeepsThePassword) {
  Json body = payload();
  body.erase("password");
  body["cidade"] = "Uberaba";
  ASSERT_EQ(invoke(admin, body).status, 200);
  EXPECT_EQ(admin.signIn("alvo.novo@varnel.local", "senha-alvo").status, 200);
  EXPECT_EQ(b.sqlValue("select cidade from public.responsavel_pelo_atendimento where id = $1", {target}), "Uberaba");
}

TEST_F(AdminFunctionTest, RefusalsChangeNothing) {
  std::string before = b.sqlValue("select email || encrypted_password from auth.users where id = $1", {target});
  Api consultant(b);
  consultant.signInAs(b.consultantEmail(), b.consultantPassword());
  Api anon(b);
  Api forged(b);
  forged.useToken(b.anonKey().substr(0, b.anonKey().size() - 2) + "xx");
  Json takenEmail = payload();
  takenEmail["email"] = b.consultantEmail();
  Json shortPassword = payload();
  shortPassword["password"] = "123";
  Json unknownUser = payload();
  unknownUser["userId"] = "00000000-0000-4000-8000-000000000000";

  struct Case {
    const char *name;
    const Api &caller;
    Json body;
    int status;
  };
  const Case cases[] = {
      {"consultant", consultant, payload(), 403},    {"anonymous", anon, payload(), 401},
      {"forged token", forged, payload(), 401},      {"e-mail of another user", admin, takenEmail, 409},
      {"short password", admin, shortPassword, 400}, {"unknown user", admin, unknownUser, 404}};
  for (const auto &c : cases) {
    Reply r = invoke(c.caller, c.body);
    EXPECT_EQ(r.status, c.status) << c.name << ": " << r.body;
    EXPECT_TRUE(r.json()["error"].is_string()) << c.name;
  }
  EXPECT_EQ(invoke(anon, payload()).json()["error"], "Invalid credentials");
  EXPECT_EQ(b.sqlValue("select email || encrypted_password from auth.users where id = $1", {target}), before);
  EXPECT_EQ(b.sqlValue("select nome from public.profiles where user_id = $1", {target}), "Alvo Antigo");
}

TEST_F(AdminFunctionTest, AdministratorRoleIsReadTrimmedAndFolded) {
  const std::pair<const char *, int> roles[] = {
      {" Administrador\n", 200}, {"ADMINISTRADOR", 200}, {"administradór", 200}, {"admin", 403}, {"veterinario", 403}};
  for (const auto &[role, status] : roles) {
    b.sql("update public.profiles set role = $1 where email = $2", {role, b.adminEmail()});
    EXPECT_EQ(invoke(admin, payload()).status, status) << role;
  }
  b.sql("update public.profiles set role = 'administrador' where email = $1", {b.adminEmail()});
}

TEST(Functions, UnknownFunctionIsNotFound) {
  Api api(LocalBackend::shared());
  Reply r = api.post("/functions/v1/nao-existe", Json::object());
  EXPECT_EQ(r.status, 404);
  EXPECT_EQ(r.json()["message"], "Requested function was not found");
}

} // namespace
} // namespace varnel::test
