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
  // Throws when the logout request fails, but the session is absent
  // afterwards in every case: the stored credentials are already gone.
  QCoro::Task<void> signOut();

  BackendClient &client() { return m_client; }

signals:
  void sessionChanged();

private:
  void setSession(std::optional<Session> session);

  BackendClient &m_client;
  std::optional<Session> m_session;
};

} // namespace varnel
