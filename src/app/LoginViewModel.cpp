#include "app/LoginViewModel.h"

#include "app/AppIdentity.h"
#include "backend/Errors.h"
#include "backend/SessionStore.h"
#include "platform/CredentialStore.h"
#include "platform/LoginPreferences.h"

#include <QPointer>

namespace varnel {

LoginViewModel::LoginViewModel(SessionStore &sessionStore, CredentialStore &credentials, LoginPreferences &preferences,
                               QObject *parent)
    : QObject(parent), m_sessionStore(sessionStore), m_credentials(credentials), m_preferences(preferences) {}

QString LoginViewModel::keychainService() { return applicationId() + QStringLiteral(".login.password"); }

QString LoginViewModel::normalizedEmail(const QString &email) { return email.trimmed().toLower(); }

bool LoginViewModel::rememberMe() const { return m_preferences.rememberMe(); }

QString LoginViewModel::rememberedEmail() const { return m_preferences.rememberedEmail(); }

bool LoginViewModel::canSignIn() const { return !m_isLoading && !m_email.isEmpty() && !m_password.isEmpty(); }

void LoginViewModel::setPasswordFromStore(const QString &normalized) {
  m_password = m_credentials.loadPassword(normalized, keychainService()).value_or(QString());
}

void LoginViewModel::setEmail(const QString &email) {
  if (email == m_email)
    return;
  m_email = email;
  m_errorMessage.reset();
  if (rememberMe()) {
    const QString normalized = normalizedEmail(email);
    m_preferences.setRememberedEmail(normalized);
    setPasswordFromStore(normalized);
  } else {
    m_password.clear();
  }
  emit changed();
}

void LoginViewModel::setPassword(const QString &password) {
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
    try {
      m_credentials.deletePassword(normalizedEmail(m_email), keychainService());
    } catch (const VarnelError &) {
      // Nothing to show: the box is unticked either way.
    }
  }
  emit changed();
}

void LoginViewModel::loadSavedCredentials() {
  if (m_hasLoadedSavedCredentials)
    return;
  m_hasLoadedSavedCredentials = true;
  if (rememberMe()) {
    const QString remembered = rememberedEmail();
    m_email = remembered;
    if (!remembered.isEmpty())
      setPasswordFromStore(normalizedEmail(remembered));
  } else {
    m_email.clear();
    m_password.clear();
  }
  emit changed();
}

void LoginViewModel::signIn() {
  if (!canSignIn())
    return;
  m_running.emplace(runSignIn());
}

void LoginViewModel::submitFromField() {
  if (m_isLoading || m_email.trimmed().isEmpty() || m_password.isEmpty())
    return;
  m_running.emplace(runSignIn());
}

QCoro::Task<> LoginViewModel::runSignIn() {
  QPointer<LoginViewModel> self(this);
  m_errorMessage.reset();
  m_isLoading = true;
  emit changed();

  const QString email = normalizedEmail(m_email);
  const QString typedPassword = m_password;
  const QString password = typedPassword.trimmed();
  SessionStore &store = m_sessionStore;

  std::optional<QString> failure;
  try {
    co_await store.signIn(email, password);
  } catch (const VarnelError &error) {
    failure = error.description();
  } catch (const std::exception &error) {
    failure = QString::fromUtf8(error.what());
  }
  if (!self)
    co_return;

  if (failure) {
    m_errorMessage = failurePrefix() + *failure;
  } else if (rememberMe()) {
    m_preferences.setRememberedEmail(email);
    try {
      m_credentials.savePassword(typedPassword, email, keychainService());
    } catch (const VarnelError &error) {
      m_errorMessage = failurePrefix() + error.description();
    }
  } else {
    m_preferences.setRememberedEmail(QString());
    try {
      m_credentials.deletePassword(email, keychainService());
    } catch (const VarnelError &) {
      // Nothing was remembered for this address, or it cannot be removed now.
    }
  }
  m_isLoading = false;
  emit changed();
  if (!failure && m_errorMessage)
    emit credentialSaveFailed(*m_errorMessage);
}

} // namespace varnel
