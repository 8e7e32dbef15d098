#pragma once
// The window's content: the login screen while nobody is signed in, the
// signed-in shell once the session store holds a session. A new screen is
// built on every switch, so each sign-in starts on "Dashboard".

#include <QWidget>

namespace varnel {

class CredentialStore;
class LoginPreferences;
class LoginView;
class MainView;
class SessionStore;

class RootView : public QWidget {
  Q_OBJECT
public:
  RootView(SessionStore &sessionStore, CredentialStore &credentials, LoginPreferences &preferences,
           QWidget *parent = nullptr);

  bool isSignedIn() const { return m_signedIn; }
  // The screen shown now; exactly one of them is set.
  LoginView *loginView() const { return m_login; }
  MainView *mainView() const { return m_main; }

signals:
  // The shown state switched (signed in or out); the window follows it.
  void signedInChanged(bool signedIn);

private:
  void follow();
  void show(bool signedIn);

  SessionStore &m_sessionStore;
  CredentialStore &m_credentials;
  LoginPreferences &m_preferences;
  bool m_signedIn = false;
  LoginView *m_login = nullptr;
  MainView *m_main = nullptr;
  QWidget *m_current = nullptr;
};

} // namespace varnel
