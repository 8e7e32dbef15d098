#include "TestBackend.h"

#include "backend/RestQuery.h"
#include "backend/SessionStore.h"

#include <QCryptographicHash>

using namespace varnel;
using namespace varnel::test;

namespace {

class SessionStoreTest : public ScriptedBackend {
protected:
  SessionStore store{client};

  void signIn(const QString &access = QStringLiteral("a1"), const QString &refresh = QStringLiteral("r1"),
              double expiresAt = kNow + 3600) {
    transport->reply(200, sessionReply(access, refresh, expiresAt));
    await(store.signIn(QStringLiteral("ana@x.com"), QStringLiteral("segredo 1")));
  }

  QByteArray restAuthorization() {
    await(client.from(QStringLiteral("cliente")).select(QStringLiteral("*")).execute());
    return transport->last().headers.value("Authorization").value_or("");
  }
};

} // namespace

TEST_F(SessionStoreTest, StartsSignedOutWithoutAnyRequest) {
  EXPECT_FALSE(store.session());
  EXPECT_FALSE(store.isAuthenticated());
  EXPECT_TRUE(transport->requests().isEmpty());
}

TEST_F(SessionStoreTest, SignInSendsThePasswordGrantAndTheNextRequestCarriesTheToken) {
  int changed = 0;
  QObject::connect(&store, &SessionStore::sessionChanged, [&changed] { ++changed; });
  signIn(QStringLiteral("a1"));

  const HttpRequest &r = transport->last();
  EXPECT_EQ(r.method, "POST");
  EXPECT_EQ(r.url, "https://abcdefgh.supabase.co/auth/v1/token?grant_type=password");
  EXPECT_EQ(r.body, R"({"email":"ana@x.com","password":"segredo 1"})");
  EXPECT_EQ(r.headers.value("Apikey"), "anon");
  EXPECT_EQ(r.headers.value("Authorization"), "Bearer anon");
  EXPECT_EQ(r.headers.value("X-Supabase-Api-Version"), "2024-01-01");
  EXPECT_EQ(r.headers.value("Content-Type"), "application/json");
  EXPECT_TRUE(r.headers.contains("X-Client-Info"));

  ASSERT_TRUE(store.isAuthenticated());
  EXPECT_EQ(store.session()->accessToken, QStringLiteral("a1"));
  EXPECT_EQ(store.session()->user.id, QUuid::fromString(kUserId));
  EXPECT_EQ(store.session()->user.email, QStringLiteral("ana@x.com"));
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(restAuthorization(), "Bearer a1");
}

TEST_F(SessionStoreTest, AuthErrorRepliesGiveTheServiceText) {
  struct Case {
    int status;
    QByteArray body;
    const char *text;
  };
  const Case cases[] = {
      {400, R"({"code":400,"error_code":"invalid_credentials","msg":"Invalid login credentials"})",
       "Invalid login credentials"},
      {400, R"({"error":"e","message":"m"})", "m"},
      {400, R"({"error":"invalid_grant","error_description":"Refresh Token Not Found"})", "Refresh Token Not Found"},
      {422, R"({"error":"e"})", "e"},
      {400, R"({"code":"x"})", "Unknown"},
      {502, "<html>Bad gateway</html>", "Unexpected error"},
      {500, "[1,2]", "Unexpected error"},
  };
  for (const Case &c : cases) {
    transport->reply(c.status, c.body);
    try {
      await(store.signIn(QStringLiteral("ana@x.com"), QStringLiteral("errada")));
      ADD_FAILURE() << c.body.constData();
    } catch (const AuthError &error) {
      EXPECT_EQ(error.description(), QString::fromUtf8(c.text)) << c.body.constData();
      EXPECT_EQ(error.status(), c.status);
    }
    EXPECT_FALSE(store.session());
  }
}

TEST_F(SessionStoreTest, NoNetworkDuringSignInPassesTheTransportError) {
  transport->failWith(QStringLiteral("Connection refused"));
  EXPECT_THROW(await(store.signIn(QStringLiteral("a@x.com"), QStringLiteral("p"))), TransportError);
  EXPECT_FALSE(store.isAuthenticated());
  EXPECT_EQ(restAuthorization(), "Bearer anon");
}

TEST_F(SessionStoreTest, SignOutWithoutSessionSendsNothing) {
  await(store.signOut());
  EXPECT_TRUE(transport->requests().isEmpty());
  EXPECT_FALSE(store.session());
}

TEST_F(SessionStoreTest, SignOutSendsTheGlobalLogoutWithTheSessionToken) {
  signIn(QStringLiteral("a1"));
  transport->reply(204, "");
  await(store.signOut());
  const HttpRequest &r = transport->last();
  EXPECT_EQ(r.method, "POST");
  EXPECT_EQ(r.url, "https://abcdefgh.supabase.co/auth/v1/logout?scope=global");
  EXPECT_EQ(r.headers.value("Authorization"), "Bearer a1");
  EXPECT_EQ(r.body, QByteArray());
  EXPECT_FALSE(r.headers.contains("Content-Type"));
  EXPECT_FALSE(store.session());
  EXPECT_EQ(restAuthorization(), "Bearer anon");
}

TEST_F(SessionStoreTest, SignOutIsFinalWhateverTheLogoutReply) {
  // 401/403/404: the service has already forgotten the token, so success.
  for (int status : {401, 403, 404}) {
    signIn();
    transport->reply(status, R"({"msg":"gone"})");
    EXPECT_NO_THROW(await(store.signOut())) << status;
    EXPECT_FALSE(store.session()) << status;
  }
  // Any other failure is reported, yet nobody stays signed in on screen
  // while requests already go out anonymously.
  for (bool network : {false, true}) {
    signIn();
    int changed = 0;
    const auto connection = QObject::connect(&store, &SessionStore::sessionChanged, [&changed] { ++changed; });
    if (network)
      transport->failWith(QStringLiteral("Network unreachable"));
    else
      transport->reply(500, R"({"msg":"boom"})");
    EXPECT_THROW(await(store.signOut()), VarnelError);
    EXPECT_FALSE(store.session());
    EXPECT_EQ(changed, 1);
    QObject::disconnect(connection);
    EXPECT_EQ(restAuthorization(), "Bearer anon");
  }
}

TEST_F(SessionStoreTest, RefreshesShortlyBeforeExpiryAndOnlyOnceForConcurrentRequests) {
  signIn(QStringLiteral("a1"), QStringLiteral("r1"), kNow + 3600);
  now = kNow + 3600 - 60;
  EXPECT_EQ(restAuthorization(), "Bearer a1"); // a minute left: still valid

  now = kNow + 3600 - 5;
  transport->clear();
  transport->reply(200, sessionReply(QStringLiteral("a2"), QStringLiteral("r2"), now + 3600));
  auto first = client.from(QStringLiteral("cliente")).select(QStringLiteral("*")).execute();
  auto second = client.from(QStringLiteral("objetivo")).select(QStringLiteral("*")).execute();
  await(std::move(first));
  await(std::move(second));

  ASSERT_EQ(transport->requests().size(), 3);
  const HttpRequest &refresh = transport->requests()[0];
  EXPECT_EQ(refresh.url, "https://abcdefgh.supabase.co/auth/v1/token?grant_type=refresh_token");
  EXPECT_EQ(refresh.body, R"({"refresh_token":"r1"})");
  EXPECT_EQ(refresh.headers.value("Authorization"), "Bearer anon");
  EXPECT_EQ(transport->requests()[1].headers.value("Authorization"), "Bearer a2");
  EXPECT_EQ(transport->requests()[2].headers.value("Authorization"), "Bearer a2");
  // The refresh changes the client's session, not what the views show.
  EXPECT_EQ(store.session()->accessToken, QStringLiteral("a1"));
}

TEST_F(SessionStoreTest, ASignedInRequestNeverGoesOutAnonymously) {
  signIn(QStringLiteral("a1"), QStringLiteral("r1"), kNow + 3600);
  transport->clear();
  now = kNow + 4000;

  // No network for the refresh: the request fails with that, and the session
  // is kept for the next attempt.
  transport->failWith(QStringLiteral("Network unreachable"));
  EXPECT_THROW(restAuthorization(), TransportError);
  EXPECT_TRUE(client.auth().currentSession());
  EXPECT_TRUE(store.isAuthenticated());

  // A server error on the refresh: the same.
  transport->reply(503, R"({"msg":"unavailable"})");
  EXPECT_THROW(restAuthorization(), AuthError);
  EXPECT_TRUE(store.isAuthenticated());

  // The service refuses the refresh token: the session has ended for good.
  int changed = 0;
  QObject::connect(&store, &SessionStore::sessionChanged, [&changed] { ++changed; });
  transport->reply(400, R"({"error":"invalid_grant","error_description":"Invalid Refresh Token"})");
  try {
    restAuthorization();
    ADD_FAILURE() << "the request went out";
  } catch (const SessionEndedError &error) {
    EXPECT_EQ(error.description(), QStringLiteral("Sua sessão foi encerrada. Entre novamente para continuar."));
  }
  EXPECT_FALSE(client.auth().currentSession());
  EXPECT_FALSE(store.isAuthenticated());
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(store.endedMessage(), SessionStore::sessionEndedText());
  EXPECT_EQ(store.endedEmail(), QStringLiteral("ana@x.com"));

  // Later requests of the screens still being torn down fail the same way.
  EXPECT_THROW(restAuthorization(), SessionEndedError);
  // Only the refresh requests went out; no table request, with any key.
  for (const HttpRequest &request : transport->requests())
    EXPECT_TRUE(request.url.contains("/auth/v1/token?grant_type=refresh_token")) << request.url.constData();

  // Signing in again clears the message.
  signIn(QStringLiteral("a2"), QStringLiteral("r2"), now + 3600);
  EXPECT_FALSE(store.endedMessage());
}

TEST_F(SessionStoreTest, AnonymousRequestsBeforeAnySignInCarryTheAnonKey) {
  EXPECT_EQ(restAuthorization(), "Bearer anon");
  signIn();
  await(store.signOut());
  EXPECT_EQ(restAuthorization(), "Bearer anon");
  EXPECT_FALSE(store.endedMessage());
}

TEST_F(SessionStoreTest, BackgroundCheckRefreshesAheadOfExpiry) {
  signIn(QStringLiteral("a1"), QStringLiteral("r1"), kNow + 3600);
  transport->clear();
  await(client.auth().refreshIfExpiringSoon());
  EXPECT_TRUE(transport->requests().isEmpty());

  now = kNow + 3600 - 80;
  transport->reply(200, sessionReply(QStringLiteral("a2"), QStringLiteral("r2"), now + 3600));
  await(client.auth().refreshIfExpiringSoon());
  ASSERT_EQ(transport->requests().size(), 1);
  EXPECT_EQ(transport->last().body, R"({"refresh_token":"r1"})");
  EXPECT_EQ(client.auth().currentSession()->accessToken, QStringLiteral("a2"));
}

TEST_F(SessionStoreTest, SignUpSendsAnS256ChallengeOfTheKeptVerifier) {
  signIn(QStringLiteral("a1"));
  transport->clear();
  transport->reply(200,
                   sessionReply(QStringLiteral("new-token"), QStringLiteral("new-refresh"), kNow + 3600,
                                QStringLiteral("99999999-2222-4333-8444-555555555555"), QStringLiteral("b@x.com")));
  const SignUpResult result = await(client.auth().signUp(
      QStringLiteral("b@x.com"), QStringLiteral("pw"), nlohmann::ordered_json{{"nome", "B"}, {"role", "veterinario"}}));
  const HttpRequest &r = transport->last();
  EXPECT_EQ(r.url, "https://abcdefgh.supabase.co/auth/v1/signup");
  // Signed in: the account is created by the signed-in user, whose token it carries.
  EXPECT_EQ(r.headers.value("Authorization"), "Bearer a1");
  const auto body = bodyOf(r);
  EXPECT_EQ(keysOf(body),
            (std::vector<std::string>{"email", "password", "data", "code_challenge", "code_challenge_method"}));
  EXPECT_EQ(body["data"], (nlohmann::ordered_json{{"nome", "B"}, {"role", "veterinario"}}));
  EXPECT_EQ(body["code_challenge_method"], "s256");

  const auto verifier = client.sessionStorage().retrieve(QStringLiteral("sb-abcdefgh-auth-token-code-verifier"));
  ASSERT_TRUE(verifier);
  EXPECT_GE(verifier->size(), 43);
  EXPECT_LE(verifier->size(), 128);
  const QByteArray expected = QCryptographicHash::hash(*verifier, QCryptographicHash::Sha256)
                                  .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
  EXPECT_EQ(QByteArray::fromStdString(body["code_challenge"].get<std::string>()), expected);

  ASSERT_TRUE(result.session);
  EXPECT_EQ(client.auth().currentSession()->accessToken, QStringLiteral("new-token"));
  EXPECT_EQ(store.session()->accessToken, QStringLiteral("a1"));
}

TEST_F(SessionStoreTest, SignUpReturningOnlyAUserLeavesTheSession) {
  signIn(QStringLiteral("a1"));
  transport->reply(200, R"({"id":"99999999-2222-4333-8444-555555555555","email":"b@x.com"})");
  const SignUpResult result = await(client.auth().signUp(QStringLiteral("b@x.com"), QStringLiteral("pw"), {}));
  EXPECT_FALSE(result.session);
  EXPECT_EQ(result.user.id, QUuid::fromString(QStringLiteral("99999999-2222-4333-8444-555555555555")));
  EXPECT_EQ(client.auth().currentSession()->accessToken, QStringLiteral("a1"));
}

TEST_F(SessionStoreTest, SetSessionChecksTheTokenOrRefreshesAnExpiredOne) {
  const QString live = jwtWithExpiry(kNow + 600);
  transport->reply(200, R"({"id":"11111111-2222-4333-8444-555555555555","email":"ana@x.com"})");
  const Session set = await(client.auth().setSession(live, QStringLiteral("r9")));
  EXPECT_EQ(transport->last().method, "GET");
  EXPECT_EQ(transport->last().url, "https://abcdefgh.supabase.co/auth/v1/user");
  EXPECT_EQ(transport->last().headers.value("Authorization"), "Bearer " + live.toLatin1());
  EXPECT_EQ(set.accessToken, live);
  EXPECT_EQ(set.refreshToken, QStringLiteral("r9"));
  EXPECT_EQ(set.tokenType, QStringLiteral("bearer"));
  EXPECT_EQ(set.expiresAt, kNow + 600);
  EXPECT_EQ(client.auth().currentSession(), set);

  transport->reply(200, sessionReply(QStringLiteral("fresh"), QStringLiteral("r10"), kNow + 3600));
  await(client.auth().setSession(jwtWithExpiry(kNow - 1), QStringLiteral("r9")));
  EXPECT_EQ(transport->last().url, "https://abcdefgh.supabase.co/auth/v1/token?grant_type=refresh_token");
  EXPECT_EQ(transport->last().body, R"({"refresh_token":"r9"})");
  EXPECT_EQ(client.auth().currentSession()->accessToken, QStringLiteral("fresh"));
}

TEST_F(SessionStoreTest, UpdateUserReplacesTheStoredUser) {
  signIn(QStringLiteral("a1"));
  transport->reply(200, R"({"id":"11111111-2222-4333-8444-555555555555","email":"nova@x.com"})");
  await(client.auth().updateUser(nlohmann::ordered_json{{"password", " nova senha "}}));
  const HttpRequest &r = transport->last();
  EXPECT_EQ(r.method, "PUT");
  EXPECT_EQ(r.url, "https://abcdefgh.supabase.co/auth/v1/user");
  EXPECT_EQ(r.headers.value("Authorization"), "Bearer a1");
  EXPECT_EQ(r.body, R"({"password":" nova senha "})");
  EXPECT_EQ(client.auth().currentSession()->user.email, QStringLiteral("nova@x.com"));
  EXPECT_EQ(client.auth().currentSession()->accessToken, QStringLiteral("a1"));
}
