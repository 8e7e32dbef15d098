#include "Connection.h"

#include "backend/AuthClient.h"
#include "backend/RestQuery.h"
#include "repositories/ClassificacaoRepository.h"
#include "repositories/ClienteRepository.h"

using namespace varnel;
using namespace varnel::test;

namespace {

void seedCatalog(const LocalBackend &backend) {
  backend.sql("insert into public.classificacao (id, descricao) values (gen_random_uuid(), 'Rotina')");
}

} // namespace

TEST(SessionFlow, SignInWithWrongPasswordShowsTheServiceText) {
  auto &backend = LocalBackend::shared();
  Connection c(backend);
  try {
    c.signIn(backend.adminEmail(), "not-the-password");
    FAIL();
  } catch (const AuthError &error) {
    EXPECT_FALSE(error.description().isEmpty());
    EXPECT_NE(error.description(), QStringLiteral("Unexpected error"));
  }
  EXPECT_FALSE(c.store.isAuthenticated());
}

TEST(SessionFlow, SignOutThenRequestsGoOutAnonymously) {
  auto &backend = LocalBackend::shared();
  backend.reset();
  seedCatalog(backend);
  Connection c(backend);
  ClassificacaoRepository repo(c.client);

  c.signIn(backend.adminEmail(), backend.adminPassword());
  ASSERT_TRUE(c.store.isAuthenticated());
  EXPECT_EQ(c.store.session()->user.email, qs(backend.adminEmail()));
  EXPECT_EQ(await(repo.list()).size(), 1);

  await(c.store.signOut());
  EXPECT_FALSE(c.store.isAuthenticated());
  // Anonymous callers see no rows at all.
  EXPECT_TRUE(await(repo.list()).isEmpty());
}

TEST(SessionFlow, SignOutOfARevokedSessionStillSignsOut) {
  auto &backend = LocalBackend::shared();
  Connection first(backend), second(backend);
  first.signIn(backend.consultantEmail(), backend.consultantPassword());
  second.signIn(backend.consultantEmail(), backend.consultantPassword());
  await(first.store.signOut()); // global: ends the other session too
  EXPECT_NO_THROW(await(second.store.signOut()));
  EXPECT_FALSE(second.store.isAuthenticated());
}

TEST(SessionFlow, AnExpiredAccessTokenIsRefreshedBeforeTheNextRequest) {
  auto &backend = LocalBackend::shared();
  Connection c(backend);
  ClassificacaoRepository repo(c.client);
  c.signIn(backend.adminEmail(), backend.adminPassword());
  const QString first = c.store.session()->accessToken;
  const QString firstRefresh = c.store.session()->refreshToken;
  const int before = static_cast<int>(await(repo.list()).size());

  // An hour later on the client's clock: the token counts as expired there.
  const double later = c.client.auth().now() + 3600;
  c.client.auth().setClock([later] { return later; });
  EXPECT_EQ(await(repo.list()).size(), before);
  // The refresh spent the refresh token (it rotates); the access token may
  // read the same when the server signs it within the same second.
  EXPECT_NE(c.client.auth().currentSession()->refreshToken, firstRefresh);
  EXPECT_EQ(c.store.session()->accessToken, first); // the views' copy is not touched
  EXPECT_TRUE(c.store.isAuthenticated());
}

TEST(SessionFlow, ASessionRevokedOnTheServerSignsTheScreensOutWithoutAnonymousRequests) {
  auto &backend = LocalBackend::shared();
  Connection user(backend), elsewhere(backend);
  ClienteRepository clientes(user.client);
  user.signIn(backend.consultantEmail(), backend.consultantPassword());
  EXPECT_NO_THROW(await(clientes.list()));

  // Signed out everywhere from another client: the refresh token is revoked.
  elsewhere.signIn(backend.consultantEmail(), backend.consultantPassword());
  await(elsewhere.store.signOut());

  // The next request needs a renewed token (the client's clock moved on);
  // the service refuses to renew, and the request fails instead of going out
  // with the anon key.
  const double later = user.client.auth().now() + 3600;
  user.client.auth().setClock([later] { return later; });
  EXPECT_THROW(await(clientes.list()), SessionEndedError);
  EXPECT_FALSE(user.store.isAuthenticated());
  EXPECT_EQ(user.store.endedMessage(), SessionStore::sessionEndedText());
  EXPECT_EQ(user.store.endedEmail(), QString::fromStdString(backend.consultantEmail()));
}
