#pragma once
// An HttpTransport that answers from a script and records every request, so
// tests can assert the exact method, URL, headers and body on the wire.

#include "backend/HttpTransport.h"

#include <QString>

#include <deque>
#include <functional>
#include <variant>

namespace varnel::test {

class ScriptedTransport : public HttpTransport {
public:
  using Handler = std::function<HttpResponse(const HttpRequest &)>;

  // Replies are used in order; when none is left, the handler answers (or 200 with []).
  void reply(int status, const QByteArray &body, HttpHeaders headers = {});
  void failWith(const QString &transportError);
  void setHandler(Handler handler) { m_handler = std::move(handler); }

  const QList<HttpRequest> &requests() const { return m_requests; }
  const HttpRequest &last() const { return m_requests.back(); }
  void clear() { m_requests.clear(); }

  QCoro::Task<HttpResponse> send(HttpRequest request) override;

private:
  std::deque<std::variant<HttpResponse, QString>> m_script;
  Handler m_handler;
  QList<HttpRequest> m_requests;
};

} // namespace varnel::test
