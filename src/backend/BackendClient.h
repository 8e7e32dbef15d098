#pragma once
// The program's one connection to the back-end project: configuration,
// session storage, credentials and the HTTP transport. REST queries start
// here with from(); stored files come from download().

#include "backend/BackendConfig.h"
#include "backend/HttpTransport.h"
#include "backend/InMemoryAuthLocalStorage.h"

#include <QCoroTask>

#include <nlohmann/json.hpp>

#include <memory>

namespace varnel {

class RestQuery;
class AuthClient;

// Note for every coroutine in the program: QCoro 0.8's promise moves from a
// non-const lvalue passed to co_return, so `co_return m_member;` empties the
// member. Return locals, temporaries or explicit copies.

// Supplies the access token of the current session just before a request is
// sent, refreshing it first when needed. Nothing means: send the anon key.
class AccessTokenSource {
public:
  virtual ~AccessTokenSource() = default;
  virtual QCoro::Task<std::optional<QString>> accessTokenForRequest() = 0;
};

class BackendClient {
public:
  // Plugs its own auth client in as the access-token source.
  BackendClient(BackendConfig config, std::shared_ptr<HttpTransport> transport);
  ~BackendClient();
  BackendClient(const BackendClient &) = delete;
  BackendClient &operator=(const BackendClient &) = delete;

  const BackendConfig &config() const { return m_config; }
  HttpTransport &transport() { return *m_transport; }
  InMemoryAuthLocalStorage &sessionStorage() { return m_sessionStorage; }
  // Sign-in, sign-out, refresh, sign-up and the session the requests carry.
  AuthClient &auth() { return *m_auth; }

  // The auth layer plugs in here; without a source every request is anonymous.
  void setAccessTokenSource(AccessTokenSource *source) { m_tokenSource = source; }

  // Apikey, Authorization with the anon key, and the identification headers.
  HttpHeaders defaultHeaders() const;
  HttpHeaders identificationHeaders() const;

  RestQuery from(const QString &table);

  // GET storage/object/{bucket}/{path}; the body as bytes.
  QCoro::Task<QByteArray> download(QString bucket, QString path);

  // Sends a REST, storage or function request: puts the current session's
  // access token in Authorization when there is one.
  QCoro::Task<HttpResponse> sendWithCredentials(HttpRequest request);

  // POST functions/v1/{name} with a JSON body. With accessToken, that token
  // is the Authorization; otherwise the request carries the valid session's.
  // Any status comes back; only transport failures throw.
  QCoro::Task<HttpResponse> invokeFunction(QString name, nlohmann::ordered_json body,
                                           std::optional<QString> accessToken = std::nullopt);

private:
  BackendConfig m_config;
  std::shared_ptr<HttpTransport> m_transport;
  InMemoryAuthLocalStorage m_sessionStorage;
  std::unique_ptr<AuthClient> m_auth;
  AccessTokenSource *m_tokenSource = nullptr;
};

} // namespace varnel
