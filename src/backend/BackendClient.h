#pragma once
// The program's one connection to the back-end project: configuration,
// session storage, credentials and the HTTP transport. REST queries start
// here with from(); stored files come from download().

#include "backend/BackendConfig.h"
#include "backend/HttpTransport.h"
#include "backend/InMemoryAuthLocalStorage.h"

#include <QCoroTask>

#include <memory>

namespace varnel {

class RestQuery;

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
  BackendClient(BackendConfig config, std::shared_ptr<HttpTransport> transport);

  const BackendConfig &config() const { return m_config; }
  HttpTransport &transport() { return *m_transport; }
  InMemoryAuthLocalStorage &sessionStorage() { return m_sessionStorage; }

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

private:
  BackendConfig m_config;
  std::shared_ptr<HttpTransport> m_transport;
  InMemoryAuthLocalStorage m_sessionStorage;
  AccessTokenSource *m_tokenSource = nullptr;
};

} // namespace varnel
