// The credential store against the desktop's Secret Service. Run inside a
// private session bus with an unlocked GNOME Keyring; skipped without one.

#include "platform/KeychainCredentialStore.h"
#include "support/Await.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QUuid>

#include <gtest/gtest.h>

using namespace varnel;
using varnel::test::await;

namespace {

bool secretServiceRunning() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface())
    return false;
  // Only a running service: activating one would start a locked keyring
  // that asks for its password.
  return bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")).value();
}

// A desktop session makes the login keyring the default collection; a bare
// daemon started for the tests may not have, and would then try to show a
// dialog to create one.
void useLoginKeyringAsDefault() {
  QDBusInterface service(QStringLiteral("org.freedesktop.secrets"), QStringLiteral("/org/freedesktop/secrets"),
                         QStringLiteral("org.freedesktop.Secret.Service"));
  QDBusReply<QDBusObjectPath> alias = service.call(QStringLiteral("ReadAlias"), QStringLiteral("default"));
  if (alias.isValid() && alias.value().path() != QLatin1String("/"))
    return;
  QDBusReply<QDBusObjectPath> login = service.call(QStringLiteral("ReadAlias"), QStringLiteral("login"));
  if (login.isValid() && login.value().path() != QLatin1String("/"))
    service.call(QStringLiteral("SetAlias"), QStringLiteral("default"), QVariant::fromValue(login.value()));
}

// Whether the default collection is still locked (a keyring whose password
// the daemon was not given).
bool defaultCollectionLocked() {
  QDBusInterface service(QStringLiteral("org.freedesktop.secrets"), QStringLiteral("/org/freedesktop/secrets"),
                         QStringLiteral("org.freedesktop.Secret.Service"));
  QDBusReply<QDBusObjectPath> alias = service.call(QStringLiteral("ReadAlias"), QStringLiteral("default"));
  if (!alias.isValid() || alias.value().path() == QLatin1String("/"))
    return false;
  QDBusInterface collection(QStringLiteral("org.freedesktop.secrets"), alias.value().path(),
                            QStringLiteral("org.freedesktop.Secret.Collection"));
  return collection.property("Locked").toBool();
}

class KeychainCredentialStoreTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!secretServiceRunning())
      GTEST_SKIP() << "no Secret Service on the session bus (run inside dbus-run-session with gnome-keyring-daemon)";
    useLoginKeyringAsDefault();
    if (defaultCollectionLocked())
      GTEST_SKIP() << "the default keyring is locked (start gnome-keyring-daemon --unlock with a fresh XDG_DATA_HOME)";
  }
  void TearDown() override {
    if (secretServiceRunning()) {
      for (const QString &account : {first, second})
        await(store.deletePassword(account, service));
    }
  }

  KeychainCredentialStore store{std::chrono::seconds(10)};
  const QString service =
      QStringLiteral("app.varnel.tests.%1.login.password").arg(QUuid::createUuid().toString(QUuid::Id128));
  const QString first = QStringLiteral("ana@example.com");
  const QString second = QStringLiteral("bia@example.com");
};

TEST_F(KeychainCredentialStoreTest, SavedPasswordsReadBackExactlyPerAccount) {
  const QString password = QStringLiteral("sênha çom espaço ✓ ");
  await(store.savePassword(password, first, service));
  await(store.savePassword(QStringLiteral("outra"), second, service));
  EXPECT_EQ(await(store.loadPassword(first, service)), password);
  EXPECT_EQ(await(store.loadPassword(second, service)), QStringLiteral("outra"));
  EXPECT_FALSE(await(store.loadPassword(first, service + QStringLiteral(".other"))).has_value());
}

TEST_F(KeychainCredentialStoreTest, SavingAgainReplacesTheEntry) {
  await(store.savePassword(QStringLiteral("velha"), first, service));
  await(store.savePassword(QStringLiteral("nova"), first, service));
  EXPECT_EQ(await(store.loadPassword(first, service)), QStringLiteral("nova"));
}

TEST_F(KeychainCredentialStoreTest, DeletedEntriesAreGoneAndDeletingNothingIsFine) {
  await(store.savePassword(QStringLiteral("x"), first, service));
  await(store.deletePassword(first, service));
  EXPECT_FALSE(await(store.loadPassword(first, service)).has_value());
  EXPECT_NO_THROW(await(store.deletePassword(first, service)));
  EXPECT_NO_THROW(await(store.deletePassword(QStringLiteral("ninguem@example.com"), service)));
}

TEST_F(KeychainCredentialStoreTest, AnAnswerAfterTheTimeLimitIsHarmless) {
  await(store.savePassword(QStringLiteral("guardada"), first, service));
  // No time at all: every call gives up before the Secret Service answers,
  // and the answers then arrive for jobs nobody waits for any more.
  KeychainCredentialStore impatient{std::chrono::milliseconds(0)};
  for (int i = 0; i < 5; ++i)
    EXPECT_FALSE(await(impatient.loadPassword(first, service)).has_value());
  // A patient read queues behind the five abandoned ones on the same bus,
  // so by its answer theirs have arrived too, for jobs nobody awaits.
  EXPECT_EQ(await(store.loadPassword(first, service)), QStringLiteral("guardada"));
  EXPECT_EQ(await(store.loadPassword(first, service)), QStringLiteral("guardada"));
}

TEST(KeychainErrors, CarryTheDomainStatusAndText) {
  const KeychainError error(5, keychainSaveFailureText(5));
  EXPECT_EQ(KeychainError::domain(), QStringLiteral("KeychainService"));
  EXPECT_EQ(error.code(), 5);
  EXPECT_EQ(error.description(), QStringLiteral("Falha ao salvar senha no Keychain (status 5)."));
  EXPECT_EQ(keychainDeleteFailureText(3), QStringLiteral("Falha ao remover senha do Keychain (status 3)."));
}

} // namespace
