// Window sizing for the two states of the root switch and the
// maximise-once rule, and when the main window runs them.

#include "FakeCredentialStore.h"
#include "WaitUntil.h"

#include "app/AppDelegate.h"
#include "app/AppUpdater.h"
#include "app/MainWindow.h"
#include "app/WindowConfiguration.h"
#include "backend/BackendClient.h"
#include "backend/SessionStore.h"
#include "platform/LoginPreferences.h"
#include "support/ScriptedTransport.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

using namespace varnel;

namespace {

struct CentreCase {
  QRect available;
  QSize size;
  QRect expected;
};

class CentredRect : public ::testing::TestWithParam<CentreCase> {};

TEST_P(CentredRect, CentresOnTheAvailableArea) {
  EXPECT_EQ(centredRect(GetParam().available, GetParam().size), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Areas, CentredRect,
    ::testing::Values(CentreCase{QRect(0, 0, 1920, 1080), QSize(520, 460), QRect(700, 310, 520, 460)},
                      // a panel on top and the second screen to the right
                      CentreCase{QRect(1920, 32, 1280, 992), QSize(520, 460), QRect(2300, 298, 520, 460)},
                      // odd leftovers round towards the origin
                      CentreCase{QRect(0, 0, 1365, 767), QSize(520, 460), QRect(422, 153, 520, 460)}));

QRect available(QWidget &window) { return window.windowHandle()->screen()->availableGeometry(); }

TEST(WindowConfiguration, SignedOutIsASmallCentredLoginWindow) {
  QWidget window;
  window.show();
  configureWindow(window, true);
  configureWindow(window, false);
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Login"));
  EXPECT_EQ(window.minimumSize(), QSize(520, 460));
  EXPECT_EQ(window.geometry(), centredRect(available(window), QSize(520, 460)));
}

TEST(WindowConfiguration, SignedInTakesTheAvailableAreaAndKeepsTheTitle) {
  QWidget window;
  window.setWindowTitle(QStringLiteral("Login"));
  window.show();
  configureWindow(window, true);
  EXPECT_EQ(window.minimumSize(), QSize(1180, 760));
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Login"));
  const QRect area = available(window);
  EXPECT_EQ(window.geometry().topLeft(), area.topLeft());
  EXPECT_GE(window.width(), area.width());
}

TEST(WindowConfiguration, WithoutAScreenTheSignedOutWindowIsOnlyResized) {
  QWidget window; // never shown: no platform window, so no screen
  window.move(40, 50);
  window.resize(900, 900);
  configureWindow(window, false);
  EXPECT_EQ(window.windowHandle(), nullptr);
  EXPECT_EQ(window.size(), QSize(520, 460));
  EXPECT_EQ(window.pos(), QPoint(40, 50));
}

TEST(AppDelegate, MaximisesTheFirstActivatedWindowOnlyOnce) {
  QWidget window;
  window.show();
  window.setGeometry(10, 10, 300, 200);
  AppDelegate delegate;
  delegate.watch(&window);

  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(&window, &activate);
  EXPECT_TRUE(delegate.didMaximizeOnce());
  EXPECT_EQ(window.geometry(), available(window));

  window.setGeometry(10, 10, 300, 200);
  QApplication::sendEvent(&window, &activate);
  EXPECT_EQ(window.geometry(), QRect(10, 10, 300, 200));
}

} // namespace

namespace {

class MainWindowRules : public ::testing::Test {
protected:
  std::shared_ptr<varnel::test::ScriptedTransport> transport = std::make_shared<varnel::test::ScriptedTransport>();
  BackendClient client{BackendConfig::make(QStringLiteral("http://127.0.0.1:9"), QStringLiteral("anon")), transport};
  SessionStore store{client};
  varnel::test::FakeCredentialStore credentials;
  QTemporaryDir dir;
  QSettings settings{dir.filePath(QStringLiteral("prefs.ini")), QSettings::IniFormat};
  LoginPreferences preferences{settings};
  AppUpdater updater{std::make_unique<UpdateChecker>(nullptr, QString(), QStringLiteral("0")), false};
  MainWindow window{store, credentials, preferences, updater};
};

TEST_F(MainWindowRules, ShowingTheSameWindowAgainKeepsWhereTheUserPutIt) {
  QSignalSpy configured(&window, &MainWindow::configured);
  window.show();
  ASSERT_TRUE(varnel::test::waitUntil([&] { return configured.size() == 1; }));
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Login"));

  const QRect moved = window.geometry().translated(37, 23);
  window.setGeometry(moved);
  window.hide();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  // Whatever showing the window queued has run once a call queued after it has.
  bool settled = false;
  QMetaObject::invokeMethod(
      &window, [&settled] { settled = true; }, Qt::QueuedConnection);
  ASSERT_TRUE(varnel::test::waitUntil([&] { return settled; }));
  EXPECT_EQ(configured.size(), 1);
  EXPECT_EQ(window.geometry(), moved);
}

} // namespace
