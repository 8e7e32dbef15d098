#include "app/VarnelApp.h"

#include "BuildConfig.h"
#include "app/AppDelegate.h"
#include "app/AppIdentity.h"
#include "app/AppUpdater.h"
#include "app/MainWindow.h"
#include "backend/SessionStore.h"
#include "backend/SupabaseManager.h"
#include "platform/KeychainCredentialStore.h"
#include "platform/LoginPreferences.h"
#include "ui/Icons.h"

#include <QApplication>

namespace varnel {

VarnelApp::VarnelApp()
    : VarnelApp(SupabaseManager::shared().client(), std::make_unique<KeychainCredentialStore>(),
                std::make_unique<LoginPreferences>(),
                std::make_unique<AppUpdater>(AppUpdater::makeBuildChecker(), build::automaticUpdateChecks)) {}

VarnelApp::VarnelApp(BackendClient &client, std::unique_ptr<CredentialStore> credentials,
                     std::unique_ptr<LoginPreferences> preferences, std::unique_ptr<AppUpdater> updater)
    : m_sessionStore(std::make_unique<SessionStore>(client)), m_credentials(std::move(credentials)),
      m_preferences(std::move(preferences)), m_updater(std::move(updater)), m_delegate(new AppDelegate(this)) {
  m_window = std::make_unique<MainWindow>(*m_sessionStore, *m_credentials, *m_preferences, *m_updater);
  m_window->setAttribute(Qt::WA_QuitOnClose, true);
  m_delegate->watch(m_window.get());
  // The maximise-once rule runs when the window first becomes active; the
  // state's own size rules then follow on the next turn.
  connect(m_delegate, &AppDelegate::maximizedOnce, m_window.get(), &MainWindow::scheduleConfiguration);
}

VarnelApp::~VarnelApp() {
  // The window's screens refer to the session store; they go first.
  m_window.reset();
}

void VarnelApp::start() {
  m_window->show();
  m_updater->checkInBackground(m_window.get());
}

void VarnelApp::setUpApplication() {
  QApplication::setApplicationName(QStringLiteral("Varnel"));
  QApplication::setApplicationDisplayName(applicationDisplayName());
  QApplication::setOrganizationName(QStringLiteral("Varnel"));
  QApplication::setOrganizationDomain(QStringLiteral("varnel.app"));
  QApplication::setApplicationVersion(QString::fromUtf8(build::version));
  QApplication::setDesktopFileName(applicationId());
  ensureIconTheme();
}

} // namespace varnel
