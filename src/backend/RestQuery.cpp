#include "backend/RestQuery.h"

#include "backend/ErrorBody.h"

#include "backend/BackendClient.h"
#include "backend/PercentEncoding.h"
#include "base/Errors.h"

namespace varnel {

RestQuery::RestQuery(BackendClient *client, const QString &table)
    : m_client(client), m_url(client->config().restBase() + QLatin1Char('/') + table),
      m_headers(client->defaultHeaders()) {}

namespace {
// Drops white space outside double-quoted parts of a select list.
QString compactColumns(const QString &columns) {
  QString out;
  out.reserve(columns.size());
  bool quoted = false;
  for (const QChar c : columns) {
    if (c == QLatin1Char('"'))
      quoted = !quoted;
    if (!quoted && c.isSpace())
      continue;
    out.append(c);
  }
  return out;
}
} // namespace

RestQuery &RestQuery::select(const QString &columns) {
  m_method = "GET";
  m_items.push_back({QStringLiteral("select"), compactColumns(columns)});
  return *this;
}

RestQuery &RestQuery::setBody(const QByteArray &method, const wire::Json &json) {
  m_method = method;
  m_body = QByteArray::fromStdString(json.dump());
  return *this;
}

RestQuery &RestQuery::eq(const QString &column, const QString &value) {
  m_items.push_back({column, QStringLiteral("eq.") + value});
  return *this;
}

RestQuery &RestQuery::isNull(const QString &column) {
  m_items.push_back({column, QStringLiteral("is.NULL")});
  return *this;
}

RestQuery &RestQuery::in(const QString &column, const QStringList &values) {
  m_items.push_back({column, QStringLiteral("in.(") + values.join(QLatin1Char(',')) + QLatin1Char(')')});
  return *this;
}

RestQuery &RestQuery::orFilter(const QString &filter) {
  m_items.push_back({QStringLiteral("or"), QLatin1Char('(') + filter + QLatin1Char(')')});
  return *this;
}

RestQuery &RestQuery::order(const QString &column, bool ascending, bool nullsFirst) {
  const QString term = column + (ascending ? QStringLiteral(".asc") : QStringLiteral(".desc")) +
                       (nullsFirst ? QStringLiteral(".nullsfirst") : QStringLiteral(".nullslast"));
  for (auto &item : m_items) {
    if (item.first == QLatin1String("order")) {
      item.second += QLatin1Char(',') + term;
      return *this;
    }
  }
  m_items.push_back({QStringLiteral("order"), term});
  return *this;
}

RestQuery &RestQuery::single() {
  m_headers.set("Accept", "application/vnd.pgrst.object+json");
  return *this;
}

RestQuery &RestQuery::cancelWith(CancellationToken cancellation) {
  m_cancellation = std::move(cancellation);
  return *this;
}

HttpRequest RestQuery::request() const {
  HttpRequest request;
  request.method = m_method;
  request.url = m_url.toUtf8();
  for (qsizetype i = 0; i < m_items.size(); ++i) {
    request.url += i == 0 ? '?' : '&';
    request.url += percentEncodeQueryPart(m_items[i].first);
    request.url += '=';
    request.url += percentEncodeQueryPart(m_items[i].second);
  }
  request.headers = m_headers;
  if (!request.headers.contains("Accept"))
    request.headers.set("Accept", "application/json");
  request.headers.set("Content-Type", "application/json");
  const QByteArray schema = m_client->config().schema().toUtf8();
  if (m_method == "GET")
    request.headers.set("Accept-Profile", schema);
  else
    request.headers.set("Content-Profile", schema);
  request.body = m_body;
  request.cancellation = m_cancellation;
  return request;
}

void RestQuery::throwIfError(const HttpResponse &response) {
  if (response.status >= 200 && response.status <= 299)
    return;
  // An error object: "message" is required text; the other keys are optional text.
  if (const auto body = ErrorBody::parse(response.body)) {
    const auto message = body->text("message");
    if (message && body->isTextOrAbsent("code") && body->isTextOrAbsent("details") &&
        (body->text("details") || body->isTextOrAbsent("detail")) && body->isTextOrAbsent("hint")) {
      const std::optional<QString> details = body->firstText({"details", "detail"});
      throw BackendError(response.status, *message, body->text("code"), details, body->text("hint"));
    }
  }
  throw HttpError(response.status, response.body);
}

QCoro::Task<HttpResponse> RestQuery::send() const {
  HttpResponse response = co_await m_client->sendWithCredentials(request());
  throwIfError(response);
  co_return response;
}

QCoro::Task<void> RestQuery::run(RestQuery query) { co_await query.send(); }

} // namespace varnel
