// The signed-in shell: section order, the selection rule with the visit
// list's identity, and signing out.

#include "WaitUntil.h"

#include "app/MainView.h"
#include "app/MainViewModel.h"
#include "backend/BackendClient.h"
#include "backend/SessionStore.h"
#include "support/Await.h"
#include "support/ScriptedTransport.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

using namespace varnel;
using namespace varnel::test;

namespace {

class MainViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    transport = std::make_shared<ScriptedTransport>();
    client = std::make_unique<BackendClient>(
        BackendConfig::make(QStringLiteral("http://127.0.0.1:9"), QStringLiteral("anon")), transport);
    store = std::make_unique<SessionStore>(*client);
    nlohmann::ordered_json session = {
        {"access_token", "t"},  {"token_type", "bearer"},
        {"expires_in", 3600},   {"expires_at", 4102444800},
        {"refresh_token", "r"}, {"user", {{"id", "5b3a1c2e-7d4f-4e0a-9a51-2f1d6c8b9e01"}}}};
    transport->reply(200, QByteArray::fromStdString(session.dump()));
    await(store->signIn(QStringLiteral("a@b.c"), QStringLiteral("x")));
    ASSERT_TRUE(store->isAuthenticated());
    view = std::make_unique<MainView>(*store);
  }

  std::shared_ptr<ScriptedTransport> transport;
  std::unique_ptr<BackendClient> client;
  std::unique_ptr<SessionStore> store;
  std::unique_ptr<MainView> view;
};

TEST_F(MainViewTest, HeaderOffersTheSixSectionsInOrderWithIcons) {
  const QStringList expected{QStringLiteral("Dashboard"), QStringLiteral("Atendimentos"),   QStringLiteral("Clientes"),
                             QStringLiteral("Objetivos"), QStringLiteral("Classificações"), QStringLiteral("Usuários")};
  QStringList titles;
  for (MainTab tab : allMainTabs) {
    titles << view->tabButton(tab)->text();
    EXPECT_FALSE(view->tabButton(tab)->icon().isNull()) << mainTabTitle(tab).toStdString();
  }
  EXPECT_EQ(titles, expected);
  EXPECT_EQ(view->signOutButton()->text(), QStringLiteral("Sair"));
  EXPECT_FALSE(view->signOutButton()->icon().isNull());
  EXPECT_EQ(view->minimumSize(), QSize(1180, 760));
}

TEST_F(MainViewTest, StartsOnTheDashboardWithOnlyItsButtonSelected) {
  EXPECT_EQ(view->model().selected(), MainTab::Dashboard);
  for (MainTab tab : allMainTabs)
    EXPECT_EQ(view->tabButton(tab)->property("selected").toBool(), tab == MainTab::Dashboard);
}

TEST_F(MainViewTest, PressingAtendimentosAlwaysGivesTheVisitListANewIdentity) {
  QSignalSpy tokens(&view->model(), &MainViewModel::atendimentosRefreshTokenChanged);
  const QUuid first = view->model().atendimentosRefreshToken();
  view->tabButton(MainTab::Atendimentos)->click();
  EXPECT_EQ(view->model().selected(), MainTab::Atendimentos);
  const QUuid second = view->model().atendimentosRefreshToken();
  EXPECT_NE(second, first);
  QWidget *screen = view->currentScreen();

  view->tabButton(MainTab::Atendimentos)->click();
  EXPECT_NE(view->model().atendimentosRefreshToken(), second);
  EXPECT_NE(view->currentScreen(), screen) << "the visit list starts over";
  EXPECT_EQ(tokens.size(), 2);
}

TEST_F(MainViewTest, PressingAnotherSelectedSectionChangesNothing) {
  view->tabButton(MainTab::Clientes)->click();
  QSignalSpy selected(&view->model(), &MainViewModel::selectedChanged);
  QSignalSpy tokens(&view->model(), &MainViewModel::atendimentosRefreshTokenChanged);
  QWidget *screen = view->currentScreen();
  const QUuid token = view->model().atendimentosRefreshToken();

  view->tabButton(MainTab::Clientes)->click();
  EXPECT_EQ(view->currentScreen(), screen);
  EXPECT_EQ(view->model().atendimentosRefreshToken(), token);
  EXPECT_EQ(selected.size(), 0);
  EXPECT_EQ(tokens.size(), 0);
  EXPECT_TRUE(view->tabButton(MainTab::Clientes)->property("selected").toBool());
  EXPECT_FALSE(view->tabButton(MainTab::Dashboard)->property("selected").toBool());
}

TEST_F(MainViewTest, RegistrySectionsShowTheirScreens) {
  for (const auto &[tab, title] : {std::pair{MainTab::Clientes, QStringLiteral("Clientes")},
                                   std::pair{MainTab::Objetivos, QStringLiteral("Objetivos")},
                                   std::pair{MainTab::Classificacoes, QStringLiteral("Classificações")}}) {
    view->tabButton(tab)->click();
    QWidget *screen = view->currentScreen();
    EXPECT_EQ(screen->findChild<QLabel *>(QStringLiteral("unavailableNote")), nullptr);
    auto *heading = screen->findChild<QLabel *>(QStringLiteral("screenTitle"));
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->text(), title);
  }
}

TEST_F(MainViewTest, UnbuiltSectionsSayTheyAreNotAvailableYet) {
  view->tabButton(MainTab::Usuarios)->click();
  auto *note = view->currentScreen()->findChild<QLabel *>(QStringLiteral("unavailableNote"));
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->text(), QStringLiteral("Esta seção ainda não está disponível."));
}

TEST_F(MainViewTest, SairSignsOutEvenWhenTheLogoutRequestFails) {
  transport->failWith(QStringLiteral("Connection refused"));
  QSignalSpy changed(store.get(), &SessionStore::sessionChanged);
  view->signOutButton()->click();
  ASSERT_TRUE(waitUntil([&] { return !store->isAuthenticated(); }));
  EXPECT_EQ(changed.size(), 1);
}

TEST_F(MainViewTest, AShellDestroyedWhileSigningOutIsLeftAlone) {
  transport->setHandler([](const HttpRequest &) { return HttpResponse{204, {}, {}}; });
  view->signOutButton()->click();
  view.reset();
  ASSERT_TRUE(waitUntil([&] { return !store->isAuthenticated(); }));
}

} // namespace
