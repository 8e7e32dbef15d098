#include "platform/LoginPreferences.h"

#include <QSettings>

namespace varnel {

LoginPreferences::LoginPreferences() : m_owned(new QSettings), m_settings(*m_owned) {}

LoginPreferences::LoginPreferences(QSettings &settings) : m_settings(settings) {}

LoginPreferences::~LoginPreferences() { delete m_owned; }

QString LoginPreferences::rememberedEmail() const { return m_settings.value(emailKey(), QString()).toString(); }

void LoginPreferences::setRememberedEmail(const QString &email) {
  m_settings.setValue(emailKey(), email);
  m_settings.sync();
}

bool LoginPreferences::rememberMe() const { return m_settings.value(rememberMeKey(), false).toBool(); }

void LoginPreferences::setRememberMe(bool remember) {
  m_settings.setValue(rememberMeKey(), remember);
  m_settings.sync();
}

} // namespace varnel
