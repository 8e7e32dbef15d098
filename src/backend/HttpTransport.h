#pragma once
// The one operation the program needs from HTTP: send a request, get the
// status, headers and body back, or a TransportError.

#include "base/Cancellation.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <QCoroTask>

#include <optional>

namespace varnel {

// Header list that keeps insertion order and replaces by case-insensitive name.
class HttpHeaders {
public:
  void set(const QByteArray &name, const QByteArray &value);
  void remove(const QByteArray &name);
  std::optional<QByteArray> value(const QByteArray &name) const;
  bool contains(const QByteArray &name) const { return value(name).has_value(); }
  const QList<QPair<QByteArray, QByteArray>> &entries() const { return m_entries; }
  bool operator==(const HttpHeaders &) const = default;

private:
  QList<QPair<QByteArray, QByteArray>> m_entries;
};

struct HttpRequest {
  QByteArray method;
  QByteArray url; // fully percent-encoded, sent as it stands
  HttpHeaders headers;
  std::optional<QByteArray> body;
  // Cancelling it abandons the request: a reply still on its way is aborted
  // and send() throws TransportError.
  CancellationToken cancellation;
};

// The description of the TransportError of a cancelled request.
QString cancelledRequestDescription();

struct HttpResponse {
  int status = 0;
  HttpHeaders headers;
  QByteArray body;
};

class HttpTransport {
public:
  virtual ~HttpTransport() = default;
  // Completes with any HTTP status; throws TransportError when no reply came
  // or the request's cancellation was cancelled before the reply ended.
  virtual QCoro::Task<HttpResponse> send(HttpRequest request) = 0;
};

} // namespace varnel
