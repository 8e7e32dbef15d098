#pragma once
// An HttpTransport that answers from a script and records every request, so
// tests can assert the exact method, URL, headers and body on the wire.

#include "backend/HttpTransport.h"

#include <QString>

#include <coroutine>
#include <deque>
#include <functional>
#include <memory>
#include <variant>

namespace varnel::test {

class ScriptedTransport : public HttpTransport {
public:
  using Handler = std::function<HttpResponse(const HttpRequest &)>;

  // Replies are used in order; when none is left, the handler answers (or 200 with []).
  void reply(int status, const QByteArray &body, HttpHeaders headers = {});
  void failWith(const QString &transportError);
  void setHandler(Handler handler) { m_handler = std::move(handler); }
  // The next request stays unanswered until release() answers it or its
  // cancellation aborts it (send() then throws TransportError at once, as a
  // real transport does).
  void hold();
  // Answers a request still held: index counts them from the oldest.
  void release(int status, const QByteArray &body, int index = 0);
  void releaseWithTransportError(const QString &transportError, int index = 0);
  // Requests sent to a hold() and still waiting.
  int held() const;
  // URLs of the requests abandoned through their cancellation, in order.
  const QList<QByteArray> &aborted() const { return m_aborted; }

  const QList<HttpRequest> &requests() const { return m_requests; }
  const HttpRequest &last() const { return m_requests.back(); }
  void clear() { m_requests.clear(); }

  QCoro::Task<HttpResponse> send(HttpRequest request) override;

private:
  struct Hold {};
  struct Waiting;
  void answerHeld(int index, std::variant<HttpResponse, QString> outcome);

  std::deque<std::variant<HttpResponse, QString, Hold>> m_script;
  std::deque<std::shared_ptr<Waiting>> m_waiting;
  QList<QByteArray> m_aborted;
  Handler m_handler;
  QList<HttpRequest> m_requests;
};

} // namespace varnel::test
