#pragma once
// An HttpTransport whose replies the test hands out one by one, in any
// order, so overlapping requests can finish the way a test needs.

#include "backend/HttpTransport.h"
#include "base/Errors.h"

#include <QCoroSignal>
#include <QObject>

#include <memory>

namespace varnel::test {

class HeldTransport : public QObject, public HttpTransport {
  Q_OBJECT
public:
  struct Held {
    HttpRequest request;
    std::optional<HttpResponse> response;
  };

  QCoro::Task<HttpResponse> send(HttpRequest request) override {
    auto held = std::make_shared<Held>(Held{std::move(request), std::nullopt});
    m_held.push_back(held);
    emit arrived();
    while (!held->response)
      co_await qCoro(this, &HeldTransport::released);
    ++m_finished;
    if (held->response->status == 0)
      throw TransportError(QString::fromUtf8(held->response->body));
    co_return *held->response;
  }

  qsizetype count() const { return m_held.size(); }
  // Requests whose reply has reached the caller.
  int finished() const { return m_finished; }
  const HttpRequest &request(qsizetype index) const { return m_held.at(index)->request; }
  // Answers the index-th request; status 0 fails it with body as the transport error.
  void answer(qsizetype index, int status, const QByteArray &body) {
    m_held.at(index)->response = HttpResponse{status, {}, body};
    emit released();
  }

signals:
  void arrived();
  void released();

private:
  QList<std::shared_ptr<Held>> m_held;
  int m_finished = 0;
};

} // namespace varnel::test
