// The auth API: sign-in, refresh-token rotation, sign-out, sign-up, the
// user endpoints, and token expiry as the table API sees it.
#include "HttpSupport.h"

#include "Jwt.h"
#include "Service.h"

#include <gtest/gtest.h>

#include <chrono>

namespace varnel::test {
namespace {

class AuthTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { LocalBackend::shared().reset(); }
  const LocalBackend &b = LocalBackend::shared();
  Api api{LocalBackend::shared()};

  Reply refresh(const std::string &token) const {
    return api.post("/auth/v1/token?grant_type=refresh_token", {{"refresh_token", token}});
  }
};

TEST_F(AuthTest, PasswordSignInReturnsASession) {
  Reply r = api.signIn(b.consultantEmail(), b.consultantPassword());
  ASSERT_EQ(r.status, 200) << r.body;
  Json s = r.json();
  EXPECT_EQ(s["token_type"], "bearer");
  EXPECT_EQ(s["expires_in"], 3600);
  EXPECT_GT(s["expires_at"].get<double>(), 0);
  EXPECT_FALSE(s["refresh_token"].get<std::string>().empty());
  EXPECT_EQ(s["user"]["email"], b.consultantEmail());
  EXPECT_EQ(s["user"]["aud"], "authenticated");
  std::string id = s["user"]["id"];
  EXPECT_EQ(b.sqlValue("select id::text from auth.users where email = $1", {b.consultantEmail()}), id);
  // The e-mail is matched without regard to case or surrounding blanks.
  EXPECT_EQ(api.signIn("  CONSULTOR@varnel.local ", b.consultantPassword()).status, 200);
}

TEST_F(AuthTest, WrongCredentialsGiveTheServiceMessage) {
  for (auto [email, password] : {std::pair<std::string, std::string>{b.consultantEmail(), "wrong-password"},
                                 {"nobody@varnel.local", b.consultantPassword()}}) {
    Reply r = api.signIn(email, password);
    EXPECT_EQ(r.status, 400);
    EXPECT_EQ(r.json(),
              Json({{"code", 400}, {"error_code", "invalid_credentials"}, {"msg", "Invalid login credentials"}}));
  }
}

TEST_F(AuthTest, PasswordsAreStoredAsBcryptHashes) {
  std::string hash = b.sqlValue("select encrypted_password from auth.users where email = $1", {b.consultantEmail()});
  EXPECT_EQ(hash.rfind("$2", 0), 0u);
  EXPECT_EQ(hash.find(b.consultantPassword()), std::string::npos);
}

TEST_F(AuthTest, RefreshTokensRotateAndAUsedOneIsRefused) {
  Json first = api.signIn(b.consultantEmail(), b.consultantPassword()).json();
  Reply second = refresh(first["refresh_token"]);
  ASSERT_EQ(second.status, 200) << second.body;
  EXPECT_NE(second.json()["refresh_token"], first["refresh_token"]);
  EXPECT_EQ(second.json()["user"]["id"], first["user"]["id"]);

  Reply reused = refresh(first["refresh_token"]);
  EXPECT_EQ(reused.status, 400);
  EXPECT_EQ(reused.json()["error_code"], "refresh_token_already_used");
  // Reuse may mean theft: the whole session ends, the newer token with it.
  EXPECT_EQ(refresh(second.json()["refresh_token"]).status, 400);

  Reply unknown = refresh("not-a-token");
  EXPECT_EQ(unknown.status, 400);
  EXPECT_EQ(unknown.json()["error_code"], "refresh_token_not_found");
}

TEST_F(AuthTest, GlobalSignOutEndsEverySessionOfTheUser) {
  Json a = api.signIn(b.consultantEmail(), b.consultantPassword()).json();
  Json other = api.signIn(b.consultantEmail(), b.consultantPassword()).json();
  Json admin = api.signIn(b.adminEmail(), b.adminPassword()).json();

  Api user(b);
  user.useToken(a["access_token"]);
  EXPECT_EQ(user.get("/auth/v1/user").status, 200);
  Reply out = user.send("POST", "/auth/v1/logout?scope=global");
  EXPECT_EQ(out.status, 204);

  EXPECT_EQ(refresh(a["refresh_token"]).status, 400);
  EXPECT_EQ(refresh(other["refresh_token"]).status, 400);
  EXPECT_EQ(refresh(admin["refresh_token"]).status, 200);
  Reply gone = user.get("/auth/v1/user");
  EXPECT_EQ(gone.status, 403);
  EXPECT_EQ(gone.json()["error_code"], "session_not_found");

  api.useAnonKey();
  EXPECT_EQ(api.send("POST", "/auth/v1/logout?scope=global").status, 403);
}

TEST_F(AuthTest, SignUpWithPkceFieldsReturnsASession) {
  Json body = {{"email", "nova.pessoa@varnel.local"},
               {"password", "segredo-bom"},
               {"data", {{"nome", "Nova Pessoa"}, {"role", "veterinario"}}},
               {"code_challenge", "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM"},
               {"code_challenge_method", "s256"}};
  Reply r = api.post("/auth/v1/signup", body);
  ASSERT_EQ(r.status, 200) << r.body;
  EXPECT_TRUE(r.json().contains("access_token"));
  EXPECT_EQ(r.json()["user"]["user_metadata"]["nome"], "Nova Pessoa");
  EXPECT_EQ(api.signIn("nova.pessoa@varnel.local", "segredo-bom").status, 200);

  Reply again = api.post("/auth/v1/signup", body);
  EXPECT_EQ(again.status, 422);
  EXPECT_EQ(again.json()["error_code"], "user_already_exists");

  Reply weak = api.post("/auth/v1/signup", {{"email", "fraca@varnel.local"}, {"password", "123"}});
  EXPECT_EQ(weak.status, 422);
  EXPECT_EQ(weak.json()["error_code"], "weak_password");
  Reply badEmail = api.post("/auth/v1/signup", {{"email", "sem-arroba"}, {"password", "segredo-bom"}});
  EXPECT_EQ(badEmail.status, 400);
  EXPECT_EQ(b.sqlValue("select count(*) from auth.users where email in ('fraca@varnel.local', 'sem-arroba')"), "0");
}

TEST_F(AuthTest, UpdateUserChangesThePassword) {
  std::string email = "troca.senha@varnel.local";
  b.createUser(email, "senha-antiga", "Troca Senha");
  Api user(b);
  user.signInAs(email, "senha-antiga");

  Reply same = user.send("PUT", "/auth/v1/user", R"({"password":"senha-antiga"})");
  EXPECT_EQ(same.status, 422);
  Reply changed = user.send("PUT", "/auth/v1/user", R"({"password":"senha-nova"})");
  ASSERT_EQ(changed.status, 200) << changed.body;
  EXPECT_EQ(changed.json()["email"], email);
  EXPECT_EQ(api.signIn(email, "senha-antiga").status, 400);
  EXPECT_EQ(api.signIn(email, "senha-nova").status, 200);

  api.useAnonKey();
  EXPECT_EQ(api.send("PUT", "/auth/v1/user", R"({"password":"qualquer-uma"})").status, 403);
}

TEST(AuthConfirmation, SignUpReturnsOnlyTheUserUntilConfirmed) {
  LocalBackendOptions options;
  options.emailConfirmation = true;
  options.seed = "none";
  LocalBackend backend(options);
  Api api(backend);
  Reply r = api.post("/auth/v1/signup", {{"email", "espera@varnel.local"}, {"password", "segredo-bom"}});
  ASSERT_EQ(r.status, 200) << r.body;
  EXPECT_FALSE(r.json().contains("access_token"));
  EXPECT_EQ(r.json()["email"], "espera@varnel.local");
  Reply early = api.signIn("espera@varnel.local", "segredo-bom");
  EXPECT_EQ(early.status, 400);
  EXPECT_EQ(early.json()["error_code"], "email_not_confirmed");
}

TEST(AuthExpiry, AnExpiredAccessTokenIsRefusedAndRefreshRecovers) {
  LocalBackend backend;
  Api api(backend);
  Json session = api.signInAs(backend.consultantEmail(), backend.consultantPassword());

  // The same session's token, as the server would have signed it an hour
  // ago: the claims of the real token with its expiry moved into the past.
  const std::string token = session["access_token"];
  const std::size_t dot = token.find('.');
  const std::optional<std::string> payload =
      devserver::base64UrlDecode(token.substr(dot + 1, token.rfind('.') - dot - 1));
  ASSERT_TRUE(payload);
  Json claims = Json::parse(*payload);
  const long long now =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
  claims["iat"] = now - 3600;
  claims["exp"] = now - 60;
  api.useToken(devserver::JwtSigner(devserver::Config().jwtSecret).sign(claims));

  Reply expired = api.get("/rest/v1/cliente?select=%2A");
  EXPECT_EQ(expired.status, 401);
  EXPECT_EQ(expired.json()["code"], "PGRST303");
  EXPECT_EQ(expired.json()["message"], "JWT expired");

  Reply renewed = api.post("/auth/v1/token?grant_type=refresh_token", {{"refresh_token", session["refresh_token"]}});
  ASSERT_EQ(renewed.status, 200);
  api.useToken(renewed.json()["access_token"]);
  EXPECT_EQ(api.get("/rest/v1/cliente?select=%2A").status, 200);
}

TEST(AuthExpiry, TheTokenLifetimeOptionSetsTheExpiry) {
  LocalBackendOptions options;
  options.accessTokenLifetimeSeconds = 7;
  LocalBackend backend(options);
  Api api(backend);
  Json session = api.signInAs(backend.consultantEmail(), backend.consultantPassword());
  EXPECT_EQ(session["expires_in"], 7);
  EXPECT_LE(session["expires_at"].get<double>() - 7,
            static_cast<double>(
                std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
                    .count()));
}

} // namespace
} // namespace varnel::test
