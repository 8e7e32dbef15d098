#pragma once
// The program's one window: the application menu and the root view, sized
// for the signed-out or signed-in state whenever that state changes.

#include <QMainWindow>
#include <QPointer>

class QAction;
class QWindow;

namespace varnel {

class AppUpdater;
class CredentialStore;
class LoginPreferences;
class RootView;
class SessionStore;

class MainWindow : public QMainWindow {
  Q_OBJECT
public:
  MainWindow(SessionStore &sessionStore, CredentialStore &credentials, LoginPreferences &preferences,
             AppUpdater &updater, QWidget *parent = nullptr);

  RootView &rootView() { return *m_root; }
  QAction *checkForUpdatesAction() const { return m_checkForUpdates; }
  QAction *fullScreenAction() const { return m_fullScreen; }

  // Runs the size rules of the current state on the next turn of the event
  // loop, after the screen switch that asked for it has been laid out.
  void scheduleConfiguration();

signals:
  // The size rules ran (used by tests and the screenshot tour).
  void configured(bool signedIn);

protected:
  void showEvent(QShowEvent *event) override;

private:
  void configureNow();

  RootView *m_root;
  QAction *m_checkForUpdates;
  QAction *m_fullScreen;
  bool m_configurationPending = false;
  // The platform window the size rules last ran for; showing the same one
  // again (after minimising or hiding) keeps whatever the user made of it.
  QPointer<QWindow> m_configuredHandle;
};

} // namespace varnel
