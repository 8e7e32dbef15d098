#include "backend/SessionStore.h"

#include "backend/AuthClient.h"

namespace varnel {

SessionStore::SessionStore(BackendClient &client, QObject *parent) : QObject(parent), m_client(client) {
  connect(&m_client.auth(), &AuthClient::sessionEnded, this, &SessionStore::sessionEnded);
}

QString SessionStore::sessionEndedText() { return SessionEndedError::text(); }

void SessionStore::sessionEnded() {
  if (!m_session)
    return;
  m_endedMessage = sessionEndedText();
  m_endedEmail = m_session->user.email.value_or(QString());
  setSession(std::nullopt);
}

void SessionStore::setSession(std::optional<Session> session) {
  if (session == m_session)
    return;
  m_session = std::move(session);
  emit sessionChanged();
}

QCoro::Task<void> SessionStore::signIn(QString email, QString password) {
  Session session = co_await authenticate(std::move(email), std::move(password));
  adopt(std::move(session));
}

QCoro::Task<Session> SessionStore::authenticate(QString email, QString password) {
  Session session = co_await m_client.auth().signInWithPassword(std::move(email), std::move(password));
  co_return session;
}

void SessionStore::adopt(Session session) {
  m_endedMessage.reset();
  m_endedEmail.clear();
  setSession(std::move(session));
}

QCoro::Task<void> SessionStore::signOut() {
  std::exception_ptr failure;
  try {
    co_await m_client.auth().signOut();
  } catch (...) {
    failure = std::current_exception();
  }
  // The stored session is removed before the logout request goes out, so
  // whatever the reply, nobody is signed in any more: the screens must not
  // stay open for the previous user.
  m_endedMessage.reset();
  m_endedEmail.clear();
  setSession(std::nullopt);
  if (failure)
    std::rethrow_exception(failure);
}

} // namespace varnel
