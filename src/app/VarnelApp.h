#pragma once
// The application object: the one session store, the window rules, the
// update command and the main window, alive for the whole run.

#include <QObject>

#include <memory>

namespace varnel {

class AppDelegate;
class AppUpdater;
class BackendClient;
class CredentialStore;
class LoginPreferences;
class MainWindow;
class SessionStore;

class VarnelApp : public QObject {
  Q_OBJECT
public:
  // The production wiring: the shared back-end client, the desktop's
  // credential store and the user's preferences.
  VarnelApp();
  // Other wiring (the screenshot tour, tests).
  VarnelApp(BackendClient &client, std::unique_ptr<CredentialStore> credentials,
            std::unique_ptr<LoginPreferences> preferences, std::unique_ptr<AppUpdater> updater);
  ~VarnelApp() override;

  SessionStore &sessionStore() { return *m_sessionStore; }
  MainWindow &window() { return *m_window; }
  AppDelegate &delegate() { return *m_delegate; }
  AppUpdater &updater() { return *m_updater; }

  // Shows the window and starts the automatic update check when enabled.
  void start();

  // Names, icon theme and style the program presents itself with.
  static void setUpApplication();

private:
  std::unique_ptr<SessionStore> m_sessionStore;
  std::unique_ptr<CredentialStore> m_credentials;
  std::unique_ptr<LoginPreferences> m_preferences;
  std::unique_ptr<AppUpdater> m_updater;
  AppDelegate *m_delegate;
  std::unique_ptr<MainWindow> m_window;
};

} // namespace varnel
