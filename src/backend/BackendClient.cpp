#include "backend/BackendClient.h"

#include "backend/AuthClient.h"

#include "BuildConfig.h"
#include "backend/ErrorBody.h"
#include "backend/PercentEncoding.h"
#include "backend/RestQuery.h"
#include "base/Errors.h"

#include <QSysInfo>

namespace varnel {

BackendClient::BackendClient(BackendConfig config, std::shared_ptr<HttpTransport> transport)
    : m_config(std::move(config)), m_transport(std::move(transport)), m_auth(std::make_unique<AuthClient>(*this)) {
  m_tokenSource = m_auth.get();
}

BackendClient::~BackendClient() = default;

HttpHeaders BackendClient::identificationHeaders() const {
  HttpHeaders headers;
  headers.set("X-Client-Info", QByteArray("varnel-desktop/") + build::version);
  headers.set("X-Supabase-Client-Platform", QSysInfo::productType().toUtf8());
  headers.set("X-Supabase-Client-Platform-Version", QSysInfo::productVersion().toUtf8());
  return headers;
}

HttpHeaders BackendClient::defaultHeaders() const {
  HttpHeaders headers;
  const QByteArray key = m_config.apiKey.toUtf8();
  headers.set("Apikey", key);
  headers.set("Authorization", "Bearer " + key);
  const HttpHeaders identification = identificationHeaders();
  for (const auto &[name, value] : identification.entries())
    headers.set(name, value);
  return headers;
}

RestQuery BackendClient::from(const QString &table) { return RestQuery(this, table); }

QCoro::Task<HttpResponse> BackendClient::sendWithCredentials(HttpRequest request) {
  // GCC 12 miscompiles co_await inside an if-condition; keep it a statement.
  if (m_tokenSource) {
    const std::optional<QString> token = co_await m_tokenSource->accessTokenForRequest();
    if (token)
      request.headers.set("Authorization", "Bearer " + token->toUtf8());
  }
  HttpResponse response = co_await m_transport->send(std::move(request));
  co_return response;
}

QCoro::Task<HttpResponse> BackendClient::invokeFunction(QString name, nlohmann::ordered_json body,
                                                        std::optional<QString> accessToken) {
  HttpRequest request;
  request.method = "POST";
  request.url = (m_config.functionsBase() + QLatin1Char('/')).toUtf8() + percentEncodePath(name);
  request.headers = defaultHeaders();
  request.headers.set("Content-Type", "application/json");
  request.body = QByteArray::fromStdString(body.dump());
  if (accessToken) {
    request.headers.set("Authorization", "Bearer " + accessToken->toUtf8());
    HttpResponse response = co_await m_transport->send(std::move(request));
    co_return response;
  }
  HttpResponse response = co_await sendWithCredentials(std::move(request));
  co_return response;
}

QCoro::Task<QByteArray> BackendClient::download(QString bucket, QString path) {
  HttpRequest request;
  request.method = "GET";
  request.url = (m_config.storageBase() + QStringLiteral("/object/")).toUtf8() + percentEncodePath(bucket) + '/' +
                percentEncodePath(path);
  request.headers = defaultHeaders();
  const HttpResponse response = co_await sendWithCredentials(std::move(request));
  if (response.status >= 200 && response.status <= 299)
    co_return response.body;
  // The storage service's error object carries "statusCode", "error" and "message".
  if (const auto error = ErrorBody::parse(response.body)) {
    if (auto message = error->text("message"))
      throw BackendError(response.status, *message);
  }
  throw HttpError(response.status, response.body);
}

} // namespace varnel
