#include "Connection.h"

#include "backend/RestQuery.h"
#include "repositories/ClassificacaoRepository.h"

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
  LocalBackendOptions options;
  options.accessTokenLifetimeSeconds = 2;
  LocalBackend backend(options);
  seedCatalog(backend);
  Connection c(backend);
  ClassificacaoRepository repo(c.client);
  c.signIn(backend.adminEmail(), backend.adminPassword());
  const QString first = c.store.session()->accessToken;

  waitMs(2500);
  // The old token alone is refused by now.
  HttpRequest raw;
  raw.method = "GET";
  raw.url = (c.client.config().restBase() + QStringLiteral("/classificacao?select=*")).toUtf8();
  raw.headers = c.client.defaultHeaders();
  raw.headers.set("Authorization", "Bearer " + first.toUtf8());
  EXPECT_EQ(await(c.client.transport().send(raw)).status, 401);

  EXPECT_EQ(await(repo.list()).size(), 1);
  EXPECT_NE(c.client.auth().currentSession()->accessToken, first);
  EXPECT_EQ(c.store.session()->accessToken, first); // the views' copy is not touched
}
