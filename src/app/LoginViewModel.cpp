#include "app/LoginViewModel.h"

#include "app/AppIdentity.h"
#include "backend/SessionStore.h"
#include "platform/CredentialStore.h"
#include "platform/LoginPreferences.h"

namespace varnel {

namespace {
// The kind of the password look-up in the credential store.
const QString kPasswordLookup = QStringLiteral("password");
} // namespace

LoginViewModel::LoginViewModel(SessionStore &sessionStore, CredentialStore &credentials, LoginPreferences &preferences,
                               QObject *parent)
    : QObject(parent), m_sessionStore(sessionStore), m_credentials(credentials), m_preferences(preferences) {
  // A session the service ended: say so, with the address filled in.
  if (const auto &ended = m_sessionStore.endedMessage()) {
    m_errorMessage = *ended;
    m_email = m_sessionStore.endedEmail();
  }
}

QString LoginViewModel::keychainService() { return applicationId() + QStringLiteral(".login.password"); }

QString LoginViewModel::normalizedEmail(const QString &email) { return email.trimmed().toLower(); }

bool LoginViewModel::rememberMe() const { return m_preferences.rememberMe(); }

QString LoginViewModel::rememberedEmail() const { return m_preferences.rememberedEmail(); }

bool LoginViewModel::canSignIn() const { return !m_isLoading && !m_email.isEmpty() && !m_password.isEmpty(); }

void LoginViewModel::fillPasswordFromStore(const QString &normalized) {
  m_tasks.runLatest(
      kPasswordLookup, m_credentials.loadPassword(normalized, keychainService()),
      [this](std::optional<QString> stored) {
        m_password = stored.value_or(QString());
        emit changed();
      },
      Tasks::ignoreFailure);
}

void LoginViewModel::setEmail(const QString &email) {
  if (email == m_email)
    return;
  m_email = email;
  m_errorMessage.reset();
  m_password.clear();
  m_tasks.cancel(kPasswordLookup);
  emit changed();
  if (rememberMe()) {
    const QString normalized = normalizedEmail(email);
    m_preferences.setRememberedEmail(normalized);
    fillPasswordFromStore(normalized);
  }
}

void LoginViewModel::setPassword(const QString &password) {
  // What the user types wins over a look-up still under way.
  m_tasks.cancel(kPasswordLookup);
  if (password == m_password)
    return;
  m_password = password;
  emit changed();
}

void LoginViewModel::setRememberMe(bool remember) {
  if (remember == rememberMe())
    return;
  m_preferences.setRememberMe(remember);
  if (!remember) {
    m_preferences.setRememberedEmail(QString());
    // Nothing to show when it fails: the box is unticked either way.
    m_tasks.run(
        m_credentials.deletePassword(normalizedEmail(m_email), keychainService()), [] {}, Tasks::ignoreFailure);
  }
  emit changed();
}

void LoginViewModel::loadSavedCredentials() {
  if (m_hasLoadedSavedCredentials)
    return;
  m_hasLoadedSavedCredentials = true;
  if (m_sessionStore.endedMessage()) {
    // The address of the ended session is already in place.
    emit changed();
    return;
  }
  if (rememberMe()) {
    const QString remembered = rememberedEmail();
    m_email = remembered;
    m_password.clear();
    if (!remembered.isEmpty())
      fillPasswordFromStore(normalizedEmail(remembered));
  } else {
    m_email.clear();
    m_password.clear();
  }
  emit changed();
}

void LoginViewModel::signIn() {
  if (!canSignIn())
    return;
  runSignIn();
}

void LoginViewModel::submitFromField() {
  if (m_isLoading || m_email.trimmed().isEmpty() || m_password.isEmpty())
    return;
  runSignIn();
}

void LoginViewModel::runSignIn() {
  m_tasks.cancel(kPasswordLookup);
  m_errorMessage.reset();
  m_isLoading = true;
  emit changed();

  const QString email = normalizedEmail(m_email);
  const QString typedPassword = m_password;
  m_tasks.run(
      m_sessionStore.authenticate(email, typedPassword.trimmed()),
      [this, email, typedPassword](const Session &session) { remember(session, email, typedPassword); },
      [this](const QString &failure) {
        m_errorMessage = failurePrefix() + failure;
        m_isLoading = false;
        emit changed();
      });
}

// Remembers (or forgets) the credentials before the session is adopted: the
// login screen goes away with the adoption, and a password that could not be
// stored must still be reported.
void LoginViewModel::remember(const Session &session, const QString &email, const QString &typedPassword) {
  if (rememberMe()) {
    m_preferences.setRememberedEmail(email);
    m_tasks.run(
        m_credentials.savePassword(typedPassword, email, keychainService()),
        [this, session] { finishSignIn(session, std::nullopt); },
        [this, session](const QString &failure) { finishSignIn(session, failurePrefix() + failure); });
  } else {
    m_preferences.setRememberedEmail(QString());
    // Nothing was remembered for this address, or it cannot be removed now:
    // either way the sign-in goes on.
    m_tasks.run(
        m_credentials.deletePassword(email, keychainService()),
        [this, session] { finishSignIn(session, std::nullopt); },
        [this, session](const QString &) { finishSignIn(session, std::nullopt); });
  }
}

void LoginViewModel::finishSignIn(const Session &session, std::optional<QString> credentialError) {
  m_errorMessage = credentialError;
  m_isLoading = false;
  emit changed();
  m_sessionStore.adopt(session);
  if (credentialError)
    emit credentialSaveFailed(*credentialError);
}

} // namespace varnel
