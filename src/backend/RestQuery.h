#pragma once
// One REST request built step by step (from, select/insert/update, filters,
// order, single) and sent once by execute() or executeDecoding<T>().

#include "backend/HttpTransport.h"
#include "model/WireCoding.h"

#include <QCoroTask>

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace varnel {

class BackendClient;

template <class T> struct IsQList : std::false_type {};
template <class T> struct IsQList<QList<T>> : std::true_type { using Element = T; };

// The JSON body of a record: records declare their fields, payloads may
// define toJson() themselves.
template <class T> wire::Json bodyJson(const T &value) {
  if constexpr (std::is_same_v<T, wire::Json>)
    return value;
  else if constexpr (requires { value.toJson(); })
    return value.toJson();
  else
    return wire::encodeObject(value);
}

class RestQuery {
public:
  RestQuery(BackendClient *client, const QString &table);

  RestQuery &select(const QString &columns);
  template <class T> RestQuery &insert(const T &record) { return setBody("POST", bodyJson(record)); }
  template <class T> RestQuery &update(const T &record) {
    setBody("PATCH", bodyJson(record));
    m_headers.set("Prefer", "return=representation");
    return *this;
  }
  RestQuery &eq(const QString &column, const QString &value);
  RestQuery &isNull(const QString &column);
  RestQuery &in(const QString &column, const QStringList &values);
  RestQuery &orFilter(const QString &filter);
  RestQuery &order(const QString &column, bool ascending, bool nullsFirst = false);
  RestQuery &single();
  // The request is abandoned (its reply aborted) once the token is cancelled.
  RestQuery &cancelWith(CancellationToken cancellation);

  // The request as it goes out, before the session's token is put in.
  HttpRequest request() const;
  const QList<QPair<QString, QString>> &queryItems() const { return m_items; }

  // Sends; any success body is ignored.
  QCoro::Task<void> execute() const { return run(*this); }
  // Sends and decodes: QList<R> reads an array of rows; R alone reads the
  // single object that single() asks for.
  template <class T> QCoro::Task<T> executeDecoding() const { return runDecoding<T>(*this); }

  // Turns an error status into the matching VarnelError.
  static void throwIfError(const HttpResponse &response);

private:
  RestQuery &setBody(const QByteArray &method, const wire::Json &json);
  QCoro::Task<HttpResponse> send() const;
  static QCoro::Task<void> run(RestQuery query);
  template <class T> static QCoro::Task<T> runDecoding(RestQuery query) {
    const HttpResponse response = co_await query.send();
    if constexpr (IsQList<T>::value)
      co_return wire::decodeList<typename IsQList<T>::Element>(response.body);
    else
      co_return wire::decodeSingle<T>(response.body);
  }

  BackendClient *m_client;
  QByteArray m_method = "GET";
  QString m_url;
  QList<QPair<QString, QString>> m_items;
  HttpHeaders m_headers;
  std::optional<QByteArray> m_body;
  CancellationToken m_cancellation;
};

} // namespace varnel
