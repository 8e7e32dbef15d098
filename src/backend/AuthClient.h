#pragma once
// The auth operations of the back-end connection: password sign-in,
// sign-out, sign-up, setting and refreshing the session, updating the user.
// It keeps the session serialized in the connection's session storage and
// hands the valid access token to every REST, storage and function request.

#include "backend/BackendClient.h"
#include "backend/Session.h"
#include "base/Errors.h"
#include "base/Tasks.h"

#include <QObject>
#include <QTimer>

#include <functional>

namespace varnel {

// An error reply of the auth service; the text is the first of "msg",
// "message", "error_description" and "error".
class AuthError : public VarnelError {
public:
  AuthError(int status, QString text, std::optional<QString> code = {});
  int status() const noexcept { return m_status; }
  const std::optional<QString> &code() const noexcept { return m_code; }

  // The error that an auth reply outside 200..299 stands for.
  static AuthError fromReply(int status, const QByteArray &body);

private:
  int m_status;
  std::optional<QString> m_code;
};

// Thrown by validSession() when nobody is signed in.
class SessionMissingError : public VarnelError {
public:
  SessionMissingError();
};

// A request made while a user is signed in, after the service refused to
// renew the session (revoked, expired, signed out elsewhere): it is not sent
// anonymously, it fails with this.
class SessionEndedError : public VarnelError {
public:
  SessionEndedError();
  static QString text();
};

// What sign-up returns: a session when the account may sign in at once,
// otherwise only the new user.
struct SignUpResult {
  std::optional<Session> session;
  AuthUser user;
};

class AuthClient : public QObject, public AccessTokenSource {
  Q_OBJECT
public:
  // Seconds before expiresAt from which a session counts as expired.
  static constexpr double kExpiryMarginSeconds = 10;
  // The background check runs this often and refreshes sessions that expire
  // within three of its periods.
  static constexpr int kAutoRefreshIntervalMs = 30'000;
  static constexpr double kAutoRefreshThresholdSeconds = 3 * kAutoRefreshIntervalMs / 1000.0;

  explicit AuthClient(BackendClient &client, QObject *parent = nullptr);

  // POST token?grant_type=password; the session becomes the current one.
  QCoro::Task<Session> signInWithPassword(QString email, QString password);
  // Removes the stored session, then POST logout?scope=global with its
  // token; 401, 403 and 404 replies count as success. No session: no request.
  QCoro::Task<void> signOut();
  // The stored session as it stands, without refreshing.
  std::optional<Session> currentSession() const;
  // The stored session, refreshed first when it is about to expire.
  // Throws SessionMissingError without one, or the refresh's error.
  QCoro::Task<Session> validSession();
  // POST token?grant_type=refresh_token; the new session replaces the stored one.
  QCoro::Task<Session> refreshSession(QString refreshToken);
  // POST signup with a fresh PKCE challenge; a returned session becomes the current one.
  QCoro::Task<SignUpResult> signUp(QString email, QString password, nlohmann::ordered_json data);
  // Makes a session from the two tokens current: refreshed when the access
  // token's "exp" has passed, otherwise completed with GET user.
  QCoro::Task<Session> setSession(QString accessToken, QString refreshToken);
  // PUT user with the attributes to change; the user in the stored session is replaced.
  QCoro::Task<AuthUser> updateUser(nlohmann::ordered_json attributes);

  // One round of the background check: refreshes the stored session when it
  // expires within kAutoRefreshThresholdSeconds. Never throws.
  QCoro::Task<void> refreshIfExpiringSoon();
  void startAutoRefresh();
  void stopAutoRefresh();

  // The valid session's access token. Nothing (the anon key) only while
  // nobody signed in with a password; once someone has, a missing or
  // unrenewable session fails the request instead.
  QCoro::Task<std::optional<QString>> accessTokenForRequest() override;
  bool isSessionRequired() const { return m_sessionRequired; }

  // Seconds since 1970; replaceable so tests can move time.
  void setClock(std::function<double()> clock) { m_clock = std::move(clock); }
  double now() const { return m_clock(); }

  // The storage key of the PKCE code verifier kept at sign-up.
  QString codeVerifierKey() const;

signals:
  void refreshFinished();
  // The service refused to renew the session of the signed-in user, and the
  // stored session was dropped for good. Not emitted for a sign-out.
  void sessionEnded();

private:
  // path and query go out as given (they are fixed ASCII texts).
  QCoro::Task<HttpResponse> send(const char *method, const char *path, const char *query,
                                 std::optional<nlohmann::ordered_json> body,
                                 std::optional<QString> bearer = std::nullopt);
  QCoro::Task<Session> refreshOnce(QString refreshToken);
  void storeSession(const Session &session);
  void removeSession();

  BackendClient &m_client;
  QTimer m_timer;
  std::function<double()> m_clock;
  bool m_refreshing = false;
  bool m_sessionRequired = false;
  Tasks m_tasks{this};
};

// The payload "exp" of a JWT, or nothing when the token is not readable.
std::optional<double> jwtExpiry(const QString &token);
// base64url(SHA-256(verifier)) without padding, as PKCE's S256 method defines.
QString pkceChallenge(const QString &verifier);

} // namespace varnel
