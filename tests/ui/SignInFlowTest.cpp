// The whole window against the local back-end: sign in, land on
// "Dashboard", "Sair" back to the login screen with the e-mail remembered,
// and sign in again.

#include "FakeCredentialStore.h"
#include "LocalBackend.h"
#include "WaitUntil.h"

#include "app/AppUpdater.h"
#include "app/LoginView.h"
#include "app/LoginViewModel.h"
#include "app/MainView.h"
#include "app/MainViewModel.h"
#include "app/MainWindow.h"
#include "app/RootView.h"
#include "app/VarnelApp.h"
#include "backend/BackendClient.h"
#include "backend/QtHttpTransport.h"
#include "backend/SessionStore.h"
#include "platform/LoginPreferences.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace varnel;
using namespace varnel::test;

namespace {

class SignInFlowTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto &backend = LocalBackend::shared();
    client = std::make_unique<BackendClient>(
        BackendConfig::make(QString::fromStdString(backend.url()), QString::fromStdString(backend.anonKey())),
        std::make_shared<QtHttpTransport>());
    email = QString::fromStdString(backend.adminEmail());
    password = QString::fromStdString(backend.adminPassword());
    auto preferences = std::make_unique<LoginPreferences>(settings);
    auto store = std::make_unique<FakeCredentialStore>();
    credentials = store.get();
    app = std::make_unique<VarnelApp>(
        *client, std::move(store), std::move(preferences),
        std::make_unique<AppUpdater>(std::make_unique<UpdateChecker>(nullptr, QString(), QStringLiteral("0")), false));
    app->start();
  }

  RootView &root() { return app->window().rootView(); }

  template <class T> T *loginChild(const char *name) {
    auto *login = root().loginView();
    return login ? login->findChild<T *>(QString::fromLatin1(name)) : nullptr;
  }

  void typeCredentials(const QString &typedEmail, const QString &typedPassword) {
    auto *emailField = loginChild<QLineEdit>("email");
    auto *passwordField = loginChild<QLineEdit>("password");
    ASSERT_NE(emailField, nullptr);
    emailField->selectAll();
    QTest::keyClick(emailField, Qt::Key_Backspace);
    QTest::keyClicks(emailField, typedEmail);
    passwordField->selectAll();
    QTest::keyClick(passwordField, Qt::Key_Backspace);
    QTest::keyClicks(passwordField, typedPassword);
  }

  void expectShellOnDashboard() {
    ASSERT_TRUE(waitUntil([&] { return root().mainView() != nullptr; }));
    EXPECT_EQ(root().mainView()->model().selected(), MainTab::Dashboard);
    EXPECT_TRUE(root().mainView()->tabButton(MainTab::Dashboard)->property("selected").toBool());
    ASSERT_TRUE(waitUntil([&] { return app->window().minimumSize() == QSize(1180, 760); }));
  }

  QTemporaryDir dir;
  QSettings settings{dir.filePath(QStringLiteral("prefs.ini")), QSettings::IniFormat};
  std::unique_ptr<BackendClient> client;
  FakeCredentialStore *credentials = nullptr;
  std::unique_ptr<VarnelApp> app;
  QString email;
  QString password;
};

TEST_F(SignInFlowTest, SignInSairAndSignInAgain) {
  ASSERT_NE(root().loginView(), nullptr);
  ASSERT_TRUE(waitUntil([&] { return app->window().windowTitle() == QStringLiteral("Login"); }));
  EXPECT_EQ(app->window().minimumSize(), QSize(520, 460));
  auto *signIn = loginChild<QPushButton>("signIn");
  EXPECT_FALSE(signIn->isEnabled());

  // A wrong password keeps the login screen and says why.
  typeCredentials(email, QStringLiteral("errada"));
  QTest::keyClick(loginChild<QLineEdit>("password"), Qt::Key_Return);
  ASSERT_TRUE(waitUntil([&] { return loginChild<QLabel>("errorMessage")->isVisible(); }));
  EXPECT_TRUE(loginChild<QLabel>("errorMessage")->text().startsWith(QStringLiteral("Falha no login.\n")));
  EXPECT_NE(root().loginView(), nullptr);

  // The right one, typed sloppily, with the box ticked.
  loginChild<QCheckBox>("rememberMe")->click();
  typeCredentials(QStringLiteral("  ") + email.toUpper(), password);
  QTest::mouseClick(loginChild<QPushButton>("signIn"), Qt::LeftButton);
  expectShellOnDashboard();
  EXPECT_EQ(credentials->get(email, LoginViewModel::keychainService()), password);

  root().mainView()->tabButton(MainTab::Objetivos)->click();
  EXPECT_EQ(root().mainView()->model().selected(), MainTab::Objetivos);

  QTest::mouseClick(root().mainView()->signOutButton(), Qt::LeftButton);
  ASSERT_TRUE(waitUntil([&] { return root().loginView() != nullptr; }));
  EXPECT_FALSE(app->sessionStore().isAuthenticated());
  ASSERT_TRUE(waitUntil([&] { return app->window().minimumSize() == QSize(520, 460); }));
  EXPECT_EQ(app->window().windowTitle(), QStringLiteral("Login"));
  ASSERT_TRUE(waitUntil([&] { return loginChild<QLineEdit>("email")->text() == email; }));
  EXPECT_EQ(loginChild<QLineEdit>("password")->text(), password);
  EXPECT_TRUE(loginChild<QCheckBox>("rememberMe")->isChecked());

  // The remembered credentials sign in with Return, on the dashboard again.
  QTest::keyClick(loginChild<QLineEdit>("password"), Qt::Key_Return);
  expectShellOnDashboard();
}

} // namespace
