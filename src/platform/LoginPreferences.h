#pragma once
// The login screen's remembered values in the per-user preferences store:
// "login_email" and "login_remember_me". Every change is written at once.

#include <QString>

class QSettings;

namespace varnel {

class LoginPreferences {
public:
  // Uses the application's default settings.
  LoginPreferences();
  // Uses the given settings, which must outlive this object (tests pass a
  // settings file of their own).
  explicit LoginPreferences(QSettings &settings);
  ~LoginPreferences();
  LoginPreferences(const LoginPreferences &) = delete;
  LoginPreferences &operator=(const LoginPreferences &) = delete;

  QString rememberedEmail() const;
  void setRememberedEmail(const QString &email);
  bool rememberMe() const;
  void setRememberMe(bool remember);

  static QString emailKey() { return QStringLiteral("login_email"); }
  static QString rememberMeKey() { return QStringLiteral("login_remember_me"); }

private:
  QSettings *m_owned = nullptr;
  QSettings &m_settings;
};

} // namespace varnel
