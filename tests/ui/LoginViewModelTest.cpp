// The login screen model: normalisation, remembered credentials, the
// enabled rules and the failure texts, over a scripted back-end and a fake
// credential store.

#include "FakeCredentialStore.h"
#include "WaitUntil.h"

#include "app/LoginViewModel.h"
#include "backend/AuthClient.h"
#include "backend/BackendClient.h"
#include "backend/RestQuery.h"
#include "backend/SessionStore.h"
#include "platform/LoginPreferences.h"
#include "support/Await.h"
#include "support/ScriptedTransport.h"

#include <QCoroTimer>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

using namespace varnel;
using namespace varnel::test;

namespace {

QByteArray sessionReply(const QString &email) {
  nlohmann::ordered_json json = {
      {"access_token", "access-token"},
      {"token_type", "bearer"},
      {"expires_in", 3600},
      {"expires_at", 4102444800},
      {"refresh_token", "refresh-token"},
      {"user", {{"id", "5b3a1c2e-7d4f-4e0a-9a51-2f1d6c8b9e01"}, {"email", email.toStdString()}}}};
  return QByteArray::fromStdString(json.dump());
}

// Holds every request back for a moment, so a sign-in is still running
// while the test pokes at the model.
class SlowTransport : public HttpTransport {
public:
  explicit SlowTransport(std::shared_ptr<ScriptedTransport> inner) : m_inner(std::move(inner)) {}
  QCoro::Task<HttpResponse> send(HttpRequest request) override {
    QTimer timer;
    timer.setSingleShot(true);
    timer.start(50);
    co_await timer;
    auto response = co_await m_inner->send(std::move(request));
    co_return response;
  }

private:
  std::shared_ptr<ScriptedTransport> m_inner;
};

class LoginViewModelTest : public ::testing::Test {
protected:
  void SetUp() override {
    transport = std::make_shared<ScriptedTransport>();
    makeClient(transport);
  }

  void makeClient(std::shared_ptr<HttpTransport> t) {
    model.reset();
    store.reset();
    client = std::make_unique<BackendClient>(
        BackendConfig::make(QStringLiteral("http://127.0.0.1:9"), QStringLiteral("anon")), std::move(t));
    store = std::make_unique<SessionStore>(*client);
    model = newModel();
  }

  std::unique_ptr<LoginViewModel> newModel() {
    return std::make_unique<LoginViewModel>(*store, credentials, preferences);
  }

  void signInAndWait() {
    model->signIn();
    ASSERT_TRUE(waitUntil([&] { return !model->isLoading(); }));
  }

  // The e-mail and password the token request carried.
  std::pair<QString, QString> sentCredentials() const {
    const auto json = nlohmann::json::parse(transport->last().body.value_or("{}").toStdString());
    return {QString::fromStdString(json.value("email", "")), QString::fromStdString(json.value("password", ""))};
  }

  QString service() const { return LoginViewModel::keychainService(); }

  QTemporaryDir dir;
  QSettings settings{dir.filePath(QStringLiteral("prefs.ini")), QSettings::IniFormat};
  LoginPreferences preferences{settings};
  FakeCredentialStore credentials;
  std::shared_ptr<ScriptedTransport> transport;
  std::unique_ptr<BackendClient> client;
  std::unique_ptr<SessionStore> store;
  std::unique_ptr<LoginViewModel> model;
};

TEST_F(LoginViewModelTest, RememberedSignInStoresTheNormalisedAddressAndTheTypedPassword) {
  model->loadSavedCredentials();
  model->setRememberMe(true);
  model->setEmail(QStringLiteral("  Admin@Example.COM \n"));
  model->setPassword(QStringLiteral("segredo "));
  transport->reply(200, sessionReply(QStringLiteral("admin@example.com")));
  signInAndWait();

  EXPECT_TRUE(store->isAuthenticated());
  EXPECT_FALSE(model->errorMessage().has_value());
  EXPECT_EQ(sentCredentials(), std::make_pair(QStringLiteral("admin@example.com"), QStringLiteral("segredo")));
  EXPECT_EQ(settings.value(QStringLiteral("login_email")).toString(), QStringLiteral("admin@example.com"));
  EXPECT_TRUE(settings.value(QStringLiteral("login_remember_me")).toBool());
  EXPECT_EQ(credentials.get(QStringLiteral("admin@example.com"), service()), QStringLiteral("segredo "));
  EXPECT_EQ(service(), QStringLiteral("app.varnel.Varnel.login.password"));

  // The next start fills both fields in, and does not sign in by itself.
  auto restarted = newModel();
  const auto requests = transport->requests().size();
  restarted->loadSavedCredentials();
  EXPECT_EQ(restarted->email(), QStringLiteral("admin@example.com"));
  EXPECT_EQ(restarted->password(), QStringLiteral("segredo "));
  EXPECT_TRUE(restarted->rememberMe());
  EXPECT_EQ(transport->requests().size(), requests);
}

TEST_F(LoginViewModelTest, SignInWithoutTheBoxForgetsTheAddressAndDeletesItsPassword) {
  settings.setValue(QStringLiteral("login_email"), QStringLiteral("old@example.com"));
  credentials.put(QStringLiteral("user@example.com"), service(), QStringLiteral("antiga"));
  model->loadSavedCredentials();
  model->setEmail(QStringLiteral("User@example.com"));
  model->setPassword(QStringLiteral("nova"));
  transport->reply(200, sessionReply(QStringLiteral("user@example.com")));
  signInAndWait();

  EXPECT_TRUE(store->isAuthenticated());
  EXPECT_EQ(settings.value(QStringLiteral("login_email")).toString(), QString());
  EXPECT_FALSE(credentials.get(QStringLiteral("user@example.com"), service()).has_value());
  EXPECT_FALSE(model->errorMessage().has_value());
}

TEST_F(LoginViewModelTest, SignInWithoutTheBoxIgnoresAFailingDelete) {
  credentials.failDeleteWith = 7;
  model->setEmail(QStringLiteral("user@example.com"));
  model->setPassword(QStringLiteral("x"));
  transport->reply(200, sessionReply(QStringLiteral("user@example.com")));
  signInAndWait();
  EXPECT_TRUE(store->isAuthenticated());
  EXPECT_FALSE(model->errorMessage().has_value());
}

TEST_F(LoginViewModelTest, EditingTheAddressRefillsOrClearsThePassword) {
  credentials.put(QStringLiteral("ana@example.com"), service(), QStringLiteral("da-ana"));

  // Box not ticked: every edit empties the password.
  model->setPassword(QStringLiteral("digitada"));
  model->setEmail(QStringLiteral("ana@example.com"));
  EXPECT_EQ(model->password(), QString());

  // Box ticked: the stored password of the typed address, or nothing.
  model->setRememberMe(true);
  model->setEmail(QStringLiteral(" ANA@example.com"));
  EXPECT_EQ(model->password(), QStringLiteral("da-ana"));
  EXPECT_EQ(settings.value(QStringLiteral("login_email")).toString(), QStringLiteral("ana@example.com"));
  model->setEmail(QStringLiteral(" ANA@example.co"));
  EXPECT_EQ(model->password(), QString());
}

TEST_F(LoginViewModelTest, EditingTheAddressClearsTheErrorMessage) {
  model->setEmail(QStringLiteral("a@b.c"));
  model->setPassword(QStringLiteral("x"));
  transport->reply(400, R"({"error":"invalid_grant","error_description":"Invalid login credentials"})");
  signInAndWait();
  ASSERT_TRUE(model->errorMessage().has_value());
  model->setEmail(QStringLiteral("a@b.cd"));
  EXPECT_FALSE(model->errorMessage().has_value());
}

TEST_F(LoginViewModelTest, UntickingForgetsTheAddressAndDeletesItsStoredPassword) {
  credentials.put(QStringLiteral("ana@example.com"), service(), QStringLiteral("da-ana"));
  credentials.put(QStringLiteral("bia@example.com"), service(), QStringLiteral("da-bia"));
  model->setRememberMe(true);
  model->setEmail(QStringLiteral("Ana@Example.com "));
  model->setRememberMe(false);

  EXPECT_FALSE(settings.value(QStringLiteral("login_remember_me")).toBool());
  EXPECT_EQ(settings.value(QStringLiteral("login_email")).toString(), QString());
  EXPECT_FALSE(credentials.get(QStringLiteral("ana@example.com"), service()).has_value());
  EXPECT_TRUE(credentials.get(QStringLiteral("bia@example.com"), service()).has_value());

  // A delete that fails is not shown either.
  credentials.failDeleteWith = 9;
  model->setRememberMe(true);
  model->setRememberMe(false);
  EXPECT_FALSE(model->errorMessage().has_value());
}

TEST_F(LoginViewModelTest, TickingChangesNothingUntilTheNextSignIn) {
  model->setEmail(QStringLiteral("ana@example.com"));
  credentials.calls.clear();
  model->setRememberMe(true);
  EXPECT_TRUE(credentials.calls.isEmpty());
  EXPECT_EQ(settings.value(QStringLiteral("login_email")).toString(), QString());
}

TEST_F(LoginViewModelTest, SavedCredentialsAreLoadedOncePerScreen) {
  settings.setValue(QStringLiteral("login_remember_me"), true);
  settings.setValue(QStringLiteral("login_email"), QStringLiteral("ana@example.com"));
  credentials.put(QStringLiteral("ana@example.com"), service(), QStringLiteral("da-ana"));
  model->loadSavedCredentials();
  EXPECT_EQ(model->email(), QStringLiteral("ana@example.com"));
  EXPECT_EQ(model->password(), QStringLiteral("da-ana"));

  model->setPassword(QStringLiteral("outra"));
  model->loadSavedCredentials();
  EXPECT_EQ(model->password(), QStringLiteral("outra"));
}

TEST_F(LoginViewModelTest, AnUnreadableStoredPasswordLeavesTheFieldEmpty) {
  settings.setValue(QStringLiteral("login_remember_me"), true);
  settings.setValue(QStringLiteral("login_email"), QStringLiteral("ana@example.com"));
  model->loadSavedCredentials();
  EXPECT_EQ(model->email(), QStringLiteral("ana@example.com"));
  EXPECT_EQ(model->password(), QString());
  EXPECT_FALSE(model->errorMessage().has_value());
}

struct EnabledCase {
  const char *email;
  const char *password;
  bool canSignIn;     // "Entrar" enabled
  bool returnSignsIn; // Return in a field starts a sign-in
};

class LoginEnabledRules : public LoginViewModelTest, public ::testing::WithParamInterface<EnabledCase> {};

TEST_P(LoginEnabledRules, EntrarAndReturn) {
  const auto &c = GetParam();
  model->setEmail(QString::fromUtf8(c.email));
  model->setPassword(QString::fromUtf8(c.password));
  EXPECT_EQ(model->canSignIn(), c.canSignIn);

  transport->reply(400, R"({"error_description":"Invalid login credentials"})");
  model->submitFromField();
  ASSERT_TRUE(waitUntil([&] { return !model->isLoading(); }));
  EXPECT_EQ(transport->requests().size(), c.returnSignsIn ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Fields, LoginEnabledRules,
                         ::testing::Values(EnabledCase{"", "", false, false}, EnabledCase{"a@b.c", "", false, false},
                                           EnabledCase{"", "x", false, false}, EnabledCase{" \n ", "x", true, false},
                                           EnabledCase{"a@b.c", " ", true, true},
                                           EnabledCase{"a@b.c", "x", true, true}));

TEST_F(LoginViewModelTest, OnlyOneSignInRunsAtATime) {
  makeClient(std::make_shared<SlowTransport>(transport));
  model->setEmail(QStringLiteral("a@b.c"));
  model->setPassword(QStringLiteral("x"));
  transport->reply(200, sessionReply(QStringLiteral("a@b.c")));
  model->signIn();
  ASSERT_TRUE(model->isLoading());
  EXPECT_FALSE(model->canSignIn());
  model->signIn();
  model->submitFromField();
  ASSERT_TRUE(waitUntil([&] { return !model->isLoading(); }));
  EXPECT_EQ(transport->requests().size(), 1);
  EXPECT_TRUE(store->isAuthenticated());
}

TEST_F(LoginViewModelTest, AModelDestroyedDuringSignInIsLeftAlone) {
  makeClient(std::make_shared<SlowTransport>(transport));
  model->setRememberMe(true);
  model->setEmail(QStringLiteral("a@b.c"));
  model->setPassword(QStringLiteral("x"));
  transport->reply(200, sessionReply(QStringLiteral("a@b.c")));
  model->signIn();
  model.reset();
  // The reply has been read once the auth layer holds its session; what the
  // screen would have done next (remember, adopt) is dropped with it.
  ASSERT_TRUE(waitUntil([&] { return client->auth().currentSession().has_value(); }));
  EXPECT_FALSE(store->isAuthenticated());
  EXPECT_TRUE(credentials.items.empty());
}

TEST_F(LoginViewModelTest, ASlowKeyringNeverOverwritesWhatWasTypedLater) {
  credentials.put(QStringLiteral("ana@example.com"), service(), QStringLiteral("da-ana"));
  credentials.put(QStringLiteral("bia@example.com"), service(), QStringLiteral("da-bia"));
  credentials.holdLoads = true;
  model->setRememberMe(true);

  // Two addresses typed one after the other; the store answers the newer
  // look-up first and the older one last.
  model->setEmail(QStringLiteral("ana@example.com"));
  model->setEmail(QStringLiteral("bia@example.com"));
  ASSERT_EQ(credentials.heldLoads(), 2);
  EXPECT_EQ(model->password(), QString());
  credentials.release(1);
  ASSERT_TRUE(waitUntil([&] { return credentials.answeredLoads() == 1; }));
  EXPECT_EQ(model->password(), QStringLiteral("da-bia"));
  credentials.release(0);
  ASSERT_TRUE(waitUntil([&] { return credentials.answeredLoads() == 2; }));
  EXPECT_EQ(model->email(), QStringLiteral("bia@example.com"));
  EXPECT_EQ(model->password(), QStringLiteral("da-bia"));

  // A password typed while the look-up runs wins over its answer.
  model->setEmail(QStringLiteral("ana@example.com"));
  model->setPassword(QStringLiteral("digitada"));
  credentials.release(2);
  ASSERT_TRUE(waitUntil([&] { return credentials.answeredLoads() == 3; }));
  EXPECT_EQ(model->password(), QStringLiteral("digitada"));
}

TEST_F(LoginViewModelTest, AScreenAfterAnEndedSessionSaysSoWithTheAddressFilledIn) {
  transport->reply(200, sessionReply(QStringLiteral("ana@example.com")));
  await(store->signIn(QStringLiteral("ana@example.com"), QStringLiteral("x")));
  // The service refuses to renew the session.
  transport->reply(400,
                   R"({"error":"invalid_grant","error_description":"Invalid Refresh Token: Refresh Token Not Found"})");
  client->auth().setClock([] { return 4102444800.0 + 60; });
  EXPECT_THROW(await(client->from(QStringLiteral("cliente")).select(QStringLiteral("*")).execute()), SessionEndedError);
  EXPECT_FALSE(store->isAuthenticated());

  auto screen = newModel();
  screen->loadSavedCredentials();
  EXPECT_EQ(screen->email(), QStringLiteral("ana@example.com"));
  EXPECT_EQ(screen->errorMessage(), QStringLiteral("Sua sessão foi encerrada. Entre novamente para continuar."));
  EXPECT_EQ(screen->password(), QString());
}

struct FailureCase {
  const char *name;
  std::function<void(ScriptedTransport &)> arrange;
  QString expected;
};

class LoginFailures : public LoginViewModelTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(LoginFailures, ShowTheFixedPrefixAndTheReason) {
  model->setRememberMe(true);
  model->setEmail(QStringLiteral("a@b.c"));
  model->setPassword(QStringLiteral("x"));
  GetParam().arrange(*transport);
  signInAndWait();
  EXPECT_FALSE(store->isAuthenticated());
  EXPECT_EQ(model->errorMessage(), GetParam().expected);
  EXPECT_FALSE(model->isLoading());
  EXPECT_TRUE(model->canSignIn());
  EXPECT_TRUE(credentials.items.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, LoginFailures,
    ::testing::Values(
        FailureCase{"WrongPassword",
                    [](ScriptedTransport &t) {
                      t.reply(400, R"({"error":"invalid_grant","error_description":"Invalid login credentials"})");
                    },
                    QStringLiteral("Falha no login.\nInvalid login credentials")},
        FailureCase{"NoNetwork", [](ScriptedTransport &t) { t.failWith(QStringLiteral("Connection refused")); },
                    QStringLiteral("Falha no login.\nConnection refused")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(LoginViewModelTest, APasswordThatCannotBeStoredIsReportedAfterSigningIn) {
  credentials.failSaveWith = 5;
  QSignalSpy saveFailed(model.get(), &LoginViewModel::credentialSaveFailed);
  model->setRememberMe(true);
  model->setEmail(QStringLiteral("a@b.c"));
  model->setPassword(QStringLiteral("x"));
  transport->reply(200, sessionReply(QStringLiteral("a@b.c")));
  signInAndWait();

  EXPECT_TRUE(store->isAuthenticated());
  const QString expected = QStringLiteral("Falha no login.\nFalha ao salvar senha no Keychain (status 5).");
  EXPECT_EQ(model->errorMessage(), expected);
  ASSERT_EQ(saveFailed.size(), 1);
  EXPECT_EQ(saveFailed.at(0).at(0).toString(), expected);
}

} // namespace
