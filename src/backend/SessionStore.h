#pragma once
// The observable holder of who is signed in: the views show the login screen
// or the shell from session(), and sign in and out through it.

#include "backend/Session.h"

#include <QCoroTask>
#include <QObject>

#include <optional>

namespace varnel {

class BackendClient;

class SessionStore : public QObject {
  Q_OBJECT
public:
  // Takes no action; the session starts absent.
  explicit SessionStore(BackendClient &client, QObject *parent = nullptr);

  const std::optional<Session> &session() const { return m_session; }
  bool isAuthenticated() const { return m_session.has_value(); }

  // Throws VarnelError (its description is the auth service's error text);
  // the session stays as it was on failure.
  QCoro::Task<void> signIn(QString email, QString password);
  // The two halves of signIn(), for a caller with work to do in between:
  // authenticate() sends the sign-in request and keeps the returned session
  // for the requests; adopt() then makes it the signed-in session.
  QCoro::Task<Session> authenticate(QString email, QString password);
  void adopt(Session session);

  // Why the last signed-in session ended without "Sair" (the service refused
  // to renew it), and whose it was; empty after a sign-in or sign-out.
  const std::optional<QString> &endedMessage() const { return m_endedMessage; }
  const QString &endedEmail() const { return m_endedEmail; }
  static QString sessionEndedText();
  // Throws when the logout request fails, but the session is absent
  // afterwards in every case: the stored credentials are already gone.
  QCoro::Task<void> signOut();

  BackendClient &client() { return m_client; }

signals:
  void sessionChanged();

private:
  void setSession(std::optional<Session> session);
  void sessionEnded();

  BackendClient &m_client;
  std::optional<Session> m_session;
  std::optional<QString> m_endedMessage;
  QString m_endedEmail;
};

} // namespace varnel
