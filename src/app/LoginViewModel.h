#pragma once
// Screen model of the login screen: the two fields, the remember box with
// its remembered e-mail and stored password, and signing in.

#include "base/Tasks.h"

#include <QObject>
#include <QString>

#include <optional>

namespace varnel {

class SessionStore;
struct Session;
class CredentialStore;
class LoginPreferences;

class LoginViewModel : public QObject {
  Q_OBJECT
public:
  LoginViewModel(SessionStore &sessionStore, CredentialStore &credentials, LoginPreferences &preferences,
                 QObject *parent = nullptr);

  // Service name of the credential-store entry of the remembered password.
  static QString keychainService();
  // Blanks and line breaks cut at both ends, then lower case.
  static QString normalizedEmail(const QString &email);
  static QString failurePrefix() { return QStringLiteral("Falha no login.\n"); }

  const QString &email() const { return m_email; }
  const QString &password() const { return m_password; }
  bool rememberMe() const;
  QString rememberedEmail() const;
  bool isLoading() const { return m_isLoading; }
  const std::optional<QString> &errorMessage() const { return m_errorMessage; }
  bool hasLoadedSavedCredentials() const { return m_hasLoadedSavedCredentials; }

  // "Entrar" is enabled: no sign-in runs and neither field is empty.
  bool canSignIn() const;

  // Editing the e-mail clears the password and, with the box ticked, fills
  // in the one stored for the new address once the store answers (only the
  // answer for the newest address counts, and typing a password wins).
  void setEmail(const QString &email);
  void setPassword(const QString &password);
  // Unticking forgets the e-mail and deletes the stored password.
  void setRememberMe(bool remember);

  // Fills the fields from what was remembered; only the first call acts.
  void loadSavedCredentials();

  // "Entrar". Does nothing unless canSignIn().
  void signIn();
  // Return in a field: signs in only when the trimmed e-mail and the
  // password are not empty and no sign-in runs.
  void submitFromField();

signals:
  void changed();
  // A sign-in succeeded but the password could not be stored; the text is
  // also in errorMessage(), which the signed-in shell never shows.
  void credentialSaveFailed(const QString &message);

private:
  void runSignIn();
  void remember(const Session &session, const QString &email, const QString &typedPassword);
  void finishSignIn(const Session &session, std::optional<QString> credentialError);
  void fillPasswordFromStore(const QString &normalized);

  SessionStore &m_sessionStore;
  CredentialStore &m_credentials;
  LoginPreferences &m_preferences;
  QString m_email;
  QString m_password;
  bool m_isLoading = false;
  std::optional<QString> m_errorMessage;
  bool m_hasLoadedSavedCredentials = false;
  Tasks m_tasks{this};
};

} // namespace varnel
