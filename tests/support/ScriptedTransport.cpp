#include "support/ScriptedTransport.h"

#include "base/Errors.h"

#include <algorithm>
#include <stdexcept>

namespace varnel::test {

// One held request: its coroutine waits here until it is answered or aborted.
struct ScriptedTransport::Waiting {
  QByteArray url;
  std::optional<std::variant<HttpResponse, QString>> outcome;
  bool abandoned = false;
  std::coroutine_handle<> waiter;

  struct Awaiter {
    std::shared_ptr<Waiting> waiting;
    bool await_ready() const noexcept { return waiting->outcome || waiting->abandoned; }
    void await_suspend(std::coroutine_handle<> handle) noexcept { waiting->waiter = handle; }
    void await_resume() const noexcept {}
  };

  void wake() {
    if (auto handle = std::exchange(waiter, nullptr))
      handle.resume();
  }
};

void ScriptedTransport::hold() { m_script.push_back(Hold{}); }

void ScriptedTransport::release(int status, const QByteArray &body, int index) {
  answerHeld(index, HttpResponse{status, {}, body});
}

void ScriptedTransport::releaseWithTransportError(const QString &transportError, int index) {
  answerHeld(index, transportError);
}

void ScriptedTransport::answerHeld(int index, std::variant<HttpResponse, QString> outcome) {
  if (index < 0 || index >= held())
    throw std::logic_error("ScriptedTransport: no such held request");
  const std::shared_ptr<Waiting> waiting = m_waiting[index];
  m_waiting.erase(m_waiting.begin() + index);
  waiting->outcome = std::move(outcome);
  waiting->wake();
}

int ScriptedTransport::held() const { return static_cast<int>(m_waiting.size()); }

void ScriptedTransport::reply(int status, const QByteArray &body, HttpHeaders headers) {
  m_script.push_back(HttpResponse{status, std::move(headers), body});
}

void ScriptedTransport::failWith(const QString &transportError) { m_script.push_back(transportError); }

QCoro::Task<HttpResponse> ScriptedTransport::send(HttpRequest request) {
  m_requests.push_back(request);
  if (request.cancellation.isCancelled())
    throw TransportError(cancelledRequestDescription());
  if (!m_script.empty()) {
    auto next = std::move(m_script.front());
    m_script.pop_front();
    if (auto *error = std::get_if<QString>(&next))
      throw TransportError(*error);
    if (std::holds_alternative<Hold>(next)) {
      auto waiting = std::make_shared<Waiting>();
      waiting->url = request.url;
      m_waiting.push_back(waiting);
      const CancellationRegistration abortOnCancel = request.cancellation.onCancel([this, waiting] {
        m_waiting.erase(std::remove(m_waiting.begin(), m_waiting.end(), waiting), m_waiting.end());
        m_aborted.push_back(waiting->url);
        waiting->abandoned = true;
        waiting->wake();
      });
      Waiting::Awaiter gate{waiting};
      co_await gate;
      if (waiting->abandoned)
        throw TransportError(cancelledRequestDescription());
      if (auto *error = std::get_if<QString>(&*waiting->outcome))
        throw TransportError(*error);
      co_return std::get<HttpResponse>(std::move(*waiting->outcome));
    }
    co_return std::get<HttpResponse>(std::move(next));
  }
  if (m_handler)
    co_return m_handler(request);
  co_return HttpResponse{200, {}, "[]"};
}

} // namespace varnel::test
