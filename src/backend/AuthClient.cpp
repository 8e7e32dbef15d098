#include "backend/AuthClient.h"

#include "backend/ErrorBody.h"

#include <QCoreApplication>
#include <QCoroSignal>
#include <QCryptographicHash>
#include <QDateTime>
#include <QRandomGenerator>

namespace varnel {

using Json = nlohmann::ordered_json;

namespace {

Json parseJson(const QByteArray &body) {
  return Json::parse(body.constData(), body.constData() + body.size(), nullptr, false);
}

Json parseReply(const QByteArray &body) {
  Json json = parseJson(body);
  if (json.is_discarded())
    throw DecodingError(QStringLiteral("Não foi possível ler a resposta do serviço de autenticação."));
  return json;
}

} // namespace

AuthError::AuthError(int status, QString text, std::optional<QString> code)
    : VarnelError(std::move(text)), m_status(status), m_code(std::move(code)) {}

AuthError AuthError::fromReply(int status, const QByteArray &body) {
  const std::optional<ErrorBody> error = ErrorBody::parse(body);
  if (!error)
    return AuthError(status, QStringLiteral("Unexpected error"));
  return AuthError(
      status, error->firstText({"msg", "message", "error_description", "error"}).value_or(QStringLiteral("Unknown")),
      error->firstText({"error_code", "code"}));
}

SessionMissingError::SessionMissingError() : VarnelError(QStringLiteral("Auth session missing!")) {}

SessionEndedError::SessionEndedError() : VarnelError(text()) {}

QString SessionEndedError::text() {
  return QStringLiteral("Sua sessão foi encerrada. Entre novamente para continuar.");
}

std::optional<double> jwtExpiry(const QString &token) {
  const QStringList parts = token.split(QLatin1Char('.'));
  if (parts.size() != 3)
    return std::nullopt;
  const auto decoded = QByteArray::fromBase64Encoding(parts[1].toLatin1(), QByteArray::Base64UrlEncoding |
                                                                               QByteArray::AbortOnBase64DecodingErrors);
  if (!decoded)
    return std::nullopt;
  const Json payload = parseJson(*decoded);
  if (!payload.is_object() || !payload.contains("exp") || !payload["exp"].is_number())
    return std::nullopt;
  return payload["exp"].get<double>();
}

QString pkceChallenge(const QString &verifier) {
  const QByteArray digest = QCryptographicHash::hash(verifier.toLatin1(), QCryptographicHash::Sha256);
  return QString::fromLatin1(digest.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

AuthClient::AuthClient(BackendClient &client, QObject *parent)
    : QObject(parent), m_client(client),
      m_clock([] { return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0; }) {
  m_timer.setInterval(kAutoRefreshIntervalMs);
  connect(&m_timer, &QTimer::timeout, this, [this] {
    m_tasks.run(
        refreshIfExpiringSoon(), [] {}, Tasks::ignoreFailure);
  });
  // The connection outlives the application object; stop the timer while
  // the event loop that owns it still exists.
  if (QCoreApplication *app = QCoreApplication::instance())
    connect(app, &QCoreApplication::aboutToQuit, &m_timer, &QTimer::stop);
}

QString AuthClient::codeVerifierKey() const {
  return m_client.config().sessionStorageKey() + QStringLiteral("-code-verifier");
}

std::optional<Session> AuthClient::currentSession() const {
  const std::optional<QByteArray> stored = m_client.sessionStorage().retrieve(m_client.config().sessionStorageKey());
  if (!stored)
    return std::nullopt;
  try {
    return authcoding::decodeSession(parseReply(*stored), now());
  } catch (const VarnelError &) {
    return std::nullopt;
  }
}

void AuthClient::storeSession(const Session &session) {
  m_client.sessionStorage().store(m_client.config().sessionStorageKey(),
                                  QByteArray::fromStdString(authcoding::encodeSession(session).dump()));
  startAutoRefresh();
}

void AuthClient::removeSession() {
  m_client.sessionStorage().remove(m_client.config().sessionStorageKey());
  m_client.sessionStorage().remove(codeVerifierKey());
  stopAutoRefresh();
}

void AuthClient::startAutoRefresh() {
  if (!m_timer.isActive())
    m_timer.start();
}

void AuthClient::stopAutoRefresh() { m_timer.stop(); }

QCoro::Task<HttpResponse> AuthClient::send(const char *method, const char *path, const char *query,
                                           std::optional<Json> body, std::optional<QString> bearer) {
  HttpRequest request;
  request.method = method;
  request.url = (m_client.config().authBase() + QLatin1Char('/')).toUtf8() + path;
  if (*query)
    request.url += QByteArray("?") + query;
  const QByteArray key = m_client.config().apiKey.toUtf8();
  request.headers.set("Apikey", key);
  request.headers.set("Authorization", "Bearer " + (bearer ? bearer->toUtf8() : key));
  request.headers.set("X-Supabase-Api-Version", "2024-01-01");
  if (body) {
    request.headers.set("Content-Type", "application/json");
    request.body = QByteArray::fromStdString(body->dump());
  } else if (request.method != "GET") {
    // An explicit empty body, so the request says Content-Length: 0 and the
    // server does not wait for a body that never comes.
    request.body = QByteArray();
  }
  const HttpHeaders identification = m_client.identificationHeaders();
  for (const auto &[name, value] : identification.entries())
    request.headers.set(name, value);

  HttpResponse response = co_await m_client.transport().send(std::move(request));
  if (response.status < 200 || response.status > 299)
    throw AuthError::fromReply(response.status, response.body);
  co_return response;
}

QCoro::Task<Session> AuthClient::signInWithPassword(QString email, QString password) {
  Json body = Json::object();
  body["email"] = email.toStdString();
  body["password"] = password.toStdString();
  const HttpResponse response = co_await send("POST", "token", "grant_type=password", std::move(body));
  const Session session = authcoding::decodeSession(parseReply(response.body), now());
  storeSession(session);
  m_sessionRequired = true;
  co_return Session(session);
}

QCoro::Task<void> AuthClient::signOut() {
  m_sessionRequired = false;
  const std::optional<Session> session = currentSession();
  if (!session) {
    removeSession();
    co_return;
  }
  removeSession();
  bool accepted = false;
  std::exception_ptr failure;
  try {
    co_await send("POST", "logout", "scope=global", std::nullopt, session->accessToken);
    accepted = true;
  } catch (const AuthError &error) {
    // The service no longer knows the token: the session is over anyway.
    accepted = error.status() == 401 || error.status() == 403 || error.status() == 404;
    if (!accepted)
      failure = std::current_exception();
  } catch (...) {
    failure = std::current_exception();
  }
  if (!accepted)
    std::rethrow_exception(failure);
}

QCoro::Task<Session> AuthClient::refreshOnce(QString refreshToken) {
  Json body = Json::object();
  body["refresh_token"] = refreshToken.toStdString();
  try {
    const HttpResponse response = co_await send("POST", "token", "grant_type=refresh_token", std::move(body));
    const Session session = authcoding::decodeSession(parseReply(response.body), now());
    storeSession(session);
    co_return Session(session);
  } catch (const AuthError &error) {
    // A refresh token the service rejects will never work again; network
    // failures and server errors keep the session for the next attempt.
    if (error.status() >= 400 && error.status() < 500) {
      const std::optional<Session> stored = currentSession();
      if (stored && stored->refreshToken == refreshToken) {
        removeSession();
        if (m_sessionRequired)
          emit sessionEnded();
      }
    }
    throw;
  }
}

QCoro::Task<Session> AuthClient::refreshSession(QString refreshToken) {
  // One refresh at a time: a refresh token is spent by its first use.
  while (m_refreshing)
    co_await qCoro(this, &AuthClient::refreshFinished);
  m_refreshing = true;
  std::exception_ptr failure;
  std::optional<Session> result;
  try {
    result = co_await refreshOnce(std::move(refreshToken));
  } catch (...) {
    failure = std::current_exception();
  }
  m_refreshing = false;
  emit refreshFinished();
  if (failure)
    std::rethrow_exception(failure);
  co_return Session(*result);
}

QCoro::Task<Session> AuthClient::validSession() {
  while (m_refreshing)
    co_await qCoro(this, &AuthClient::refreshFinished);
  const std::optional<Session> session = currentSession();
  if (!session)
    throw SessionMissingError();
  if (session->expiresAt - now() > kExpiryMarginSeconds)
    co_return Session(*session);
  Session refreshed = co_await refreshSession(session->refreshToken);
  co_return refreshed;
}

QCoro::Task<void> AuthClient::refreshIfExpiringSoon() {
  if (m_refreshing)
    co_return;
  const std::optional<Session> session = currentSession();
  if (!session || session->expiresAt - now() > kAutoRefreshThresholdSeconds)
    co_return;
  try {
    co_await refreshSession(session->refreshToken);
  } catch (...) {
    // The next request or the next round tries again.
  }
}

QCoro::Task<std::optional<QString>> AuthClient::accessTokenForRequest() {
  std::exception_ptr failure;
  try {
    const Session session = co_await validSession();
    co_return std::optional<QString>(session.accessToken);
  } catch (...) {
    failure = std::current_exception();
  }
  if (!m_sessionRequired)
    co_return std::nullopt;
  // Signed in: the request must not go out anonymously, where the row rules
  // would answer with empty lists instead of an error.
  try {
    std::rethrow_exception(failure);
  } catch (const SessionMissingError &) {
    throw SessionEndedError();
  } catch (const AuthError &error) {
    if (error.status() >= 400 && error.status() < 500)
      throw SessionEndedError();
    throw;
  }
}

QCoro::Task<SignUpResult> AuthClient::signUp(QString email, QString password, Json data) {
  QByteArray random(64, Qt::Uninitialized);
  QRandomGenerator::system()->generate(reinterpret_cast<quint32 *>(random.data()),
                                       reinterpret_cast<quint32 *>(random.data() + random.size()));
  const QString verifier =
      QString::fromLatin1(random.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
  m_client.sessionStorage().store(codeVerifierKey(), verifier.toLatin1());

  Json body = Json::object();
  body["email"] = email.toStdString();
  body["password"] = password.toStdString();
  body["data"] = std::move(data);
  body["code_challenge"] = pkceChallenge(verifier).toStdString();
  body["code_challenge_method"] = "s256";
  // Signed up by a signed-in user (an administrator creating an account):
  // the request carries that user's token, so the service records who
  // created the account.
  std::optional<QString> bearer;
  if (const std::optional<Session> current = currentSession())
    bearer = current->accessToken;
  const HttpResponse response = co_await send("POST", "signup", "", std::move(body), bearer);
  const Json reply = parseReply(response.body);
  SignUpResult result;
  if (authcoding::isSession(reply)) {
    result.session = authcoding::decodeSession(reply, now());
    result.user = result.session->user;
    storeSession(*result.session);
  } else {
    result.user = authcoding::decodeUser(reply);
  }
  co_return SignUpResult(result);
}

QCoro::Task<Session> AuthClient::setSession(QString accessToken, QString refreshToken) {
  const std::optional<double> expiry = jwtExpiry(accessToken);
  if (!expiry)
    throw DecodingError(QStringLiteral("Não foi possível ler o token de acesso da sessão."));
  if (*expiry <= now()) {
    Session refreshed = co_await refreshSession(std::move(refreshToken));
    co_return refreshed;
  }
  const HttpResponse response = co_await send("GET", "user", "", std::nullopt, accessToken);
  Session session;
  session.accessToken = accessToken;
  session.tokenType = QStringLiteral("bearer");
  session.expiresAt = *expiry;
  session.expiresIn = *expiry - now();
  session.refreshToken = refreshToken;
  session.user = authcoding::decodeUser(parseReply(response.body));
  storeSession(session);
  co_return Session(session);
}

QCoro::Task<AuthUser> AuthClient::updateUser(Json attributes) {
  const Session session = co_await validSession();
  const HttpResponse response = co_await send("PUT", "user", "", std::move(attributes), session.accessToken);
  const AuthUser user = authcoding::decodeUser(parseReply(response.body));
  std::optional<Session> stored = currentSession();
  if (stored && stored->accessToken == session.accessToken) {
    stored->user = user;
    storeSession(*stored);
  }
  co_return AuthUser(user);
}

} // namespace varnel
