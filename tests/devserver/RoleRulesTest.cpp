// Who may set roles, and what an account without a profile may see.
#include "HttpSupport.h"

#include <gtest/gtest.h>

using namespace varnel::test;

namespace {

const char *kRoleRefusal = "Apenas Administradores podem definir ou alterar o perfil (role) de um usuário.";

class RoleRules : public ::testing::Test {
protected:
  LocalBackend &backend = LocalBackend::shared();
  void SetUp() override {
    backend.reset();
    backend.sql("insert into public.cliente (nome_razao) values ('Fazenda Boa Vista')");
  }

  // Signs an account up with the given bearer (the anon key when empty) and
  // returns its session.
  Json signUp(const std::string &email, const std::string &role, const std::string &bearer = "") {
    Api api(backend);
    if (!bearer.empty())
      api.useToken(bearer);
    Reply r = api.post("/auth/v1/signup",
                       {{"email", email}, {"password", "senha-forte-1"}, {"data", {{"nome", "Nova"}, {"role", role}}}});
    EXPECT_EQ(r.status, 200) << r.body;
    return r.json();
  }

  static Json profile(const std::string &id, const std::string &role) {
    return {{"user_id", id}, {"nome", "Nova"}, {"email", "nova@varnel.local"}, {"role", role}};
  }
  static Json responsible(const std::string &id, const std::string &role) {
    return {{"id", id}, {"nome", "Nova"}, {"role", role}};
  }
};

} // namespace

TEST_F(RoleRules, AnAccountThatSignedItselfUpWritesNoProfileAndSeesNothing) {
  Json session = signUp("sozinha@varnel.local", "administrador");
  std::string id = session["user"]["id"];
  Api self(backend);
  self.useToken(session["access_token"]);

  for (const char *role : {"administrador", "veterinario"}) {
    SCOPED_TRACE(role);
    Reply r = self.post("/rest/v1/profiles", profile(id, role));
    EXPECT_EQ(r.status, 403) << r.body;
    EXPECT_EQ(r.json().value("message", ""), kRoleRefusal);
  }
  EXPECT_EQ(self.post("/rest/v1/profiles", profile(id, "")).status, 403);
  EXPECT_EQ(self.post("/rest/v1/objetivo", Json{{"descricao", "x"}}).status, 403);
  for (const char *table : {"cliente", "profiles", "responsavel_pelo_atendimento"}) {
    Reply r = self.get(std::string("/rest/v1/") + table);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.json(), Json::array()) << table;
  }
  Reply fn =
      self.post("/functions/v1/admin-update-user-password",
                {{"userId", backend.sqlValue("select id from auth.users where email = $1", {backend.adminEmail()})},
                 {"nome", "Admin"},
                 {"email", backend.adminEmail()},
                 {"role", "administrador"},
                 {"password", "tomada-123"}});
  EXPECT_EQ(fn.status, 403);
  EXPECT_EQ(backend.sqlValue("select count(*) from public.profiles where user_id = $1", {id}), "0");
}

TEST_F(RoleRules, AConsultantCannotChangeAnyRole) {
  Api consultant(backend);
  Json session = consultant.signInAs(backend.consultantEmail(), backend.consultantPassword());
  std::string id = session["user"]["id"];
  std::string other = backend.createUser("outra@varnel.local", "senha-outra-1", "Outra");

  struct Case {
    const char *name;
    std::string path;
    Json body;
  };
  const Case refused[] = {
      {"own profile", "/rest/v1/profiles?user_id=eq." + id, {{"role", "administrador"}}},
      {"own responsible row", "/rest/v1/responsavel_pelo_atendimento?id=eq." + id, {{"role", "administrador"}}},
      {"another user's profile", "/rest/v1/profiles?user_id=eq." + other, {{"role", "administrador"}}},
      {"another user's role removed", "/rest/v1/profiles?user_id=eq." + other, {{"role", nullptr}}},
  };
  for (const auto &c : refused) {
    SCOPED_TRACE(c.name);
    Reply r = consultant.patch(c.path, c.body);
    EXPECT_EQ(r.status, 403) << r.body;
    EXPECT_EQ(r.json().value("message", ""), kRoleRefusal);
  }
  EXPECT_EQ(
      backend.sqlValue("select string_agg(role, ',' order by role) from public.profiles where user_id in ($1, $2)",
                       {id, other}),
      "veterinario,veterinario");

  // Keeping the stored role (as the user form sends it) is no change.
  EXPECT_EQ(
      consultant.patch("/rest/v1/profiles?user_id=eq." + id, {{"nome", "Carla C."}, {"role", "veterinario"}}).status,
      204);
  EXPECT_EQ(
      consultant.post("/rest/v1/profiles", profile("7b0c6f5e-4a43-4f0e-9d4c-000000000001", "administrador")).status,
      403);
}

TEST_F(RoleRules, AnAdministratorCreatesAnAdministrator) {
  Api admin(backend);
  Json adminSession = admin.signInAs(backend.adminEmail(), backend.adminPassword());
  Json session = signUp("nova.admin@varnel.local", "administrador", adminSession["access_token"]);
  std::string id = session["user"]["id"];
  Api created(backend);
  created.useToken(session["access_token"]);

  // Its own first rows, with the role the administrator chose.
  EXPECT_EQ(created.post("/rest/v1/profiles", profile(id, "administrador")).status, 201);
  EXPECT_EQ(created.get("/rest/v1/responsavel_pelo_atendimento").status, 200);
  EXPECT_EQ(created.post("/rest/v1/responsavel_pelo_atendimento", responsible(id, "administrador")).status, 201);
  EXPECT_EQ(created.get("/rest/v1/cliente").json().size(), 1u);
  std::string consultantId =
      backend.sqlValue("select id from auth.users where email = $1", {backend.consultantEmail()});
  Reply fn = created.post(
      "/functions/v1/admin-update-user-password",
      {{"userId", consultantId}, {"nome", "Carla"}, {"email", backend.consultantEmail()}, {"role", "veterinario"}});
  EXPECT_EQ(fn.status, 200) << fn.body;
}

TEST_F(RoleRules, AnAccountAnAdministratorCreatedTakesOnlyTheRoleChosenForIt) {
  Api admin(backend);
  Json adminSession = admin.signInAs(backend.adminEmail(), backend.adminPassword());
  Json session = signUp("novo.consultor@varnel.local", "veterinario", adminSession["access_token"]);
  std::string id = session["user"]["id"];
  Api created(backend);
  created.useToken(session["access_token"]);
  // Changing its own metadata afterwards does not change the chosen role.
  EXPECT_EQ(created.send("PUT", "/auth/v1/user", Json{{"data", {{"role", "administrador"}}}}.dump()).status, 200);

  Reply r = created.post("/rest/v1/profiles", profile(id, "administrador"));
  EXPECT_EQ(r.status, 403) << r.body;
  EXPECT_EQ(created.post("/rest/v1/profiles", profile(id, "veterinario")).status, 201);
  EXPECT_EQ(created.patch("/rest/v1/profiles?user_id=eq." + id, {{"role", "administrador"}}).status, 403);
}

TEST_F(RoleRules, ASignUpWithAConsultantsTokenIsNotCreatedByAnAdministrator) {
  Api consultant(backend);
  Json cs = consultant.signInAs(backend.consultantEmail(), backend.consultantPassword());
  Json session = signUp("amiga@varnel.local", "veterinario", cs["access_token"]);
  Api created(backend);
  created.useToken(session["access_token"]);
  EXPECT_EQ(created.post("/rest/v1/profiles", profile(session["user"]["id"], "veterinario")).status, 403);
}
