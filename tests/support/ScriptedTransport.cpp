#include "support/ScriptedTransport.h"

#include "base/Errors.h"

namespace varnel::test {

void ScriptedTransport::reply(int status, const QByteArray &body, HttpHeaders headers) {
  m_script.push_back(HttpResponse{status, std::move(headers), body});
}

void ScriptedTransport::failWith(const QString &transportError) { m_script.push_back(transportError); }

QCoro::Task<HttpResponse> ScriptedTransport::send(HttpRequest request) {
  m_requests.push_back(request);
  if (!m_script.empty()) {
    auto next = std::move(m_script.front());
    m_script.pop_front();
    if (auto *error = std::get_if<QString>(&next))
      throw TransportError(*error);
    co_return std::get<HttpResponse>(std::move(next));
  }
  if (m_handler)
    co_return m_handler(request);
  co_return HttpResponse{200, {}, "[]"};
}

} // namespace varnel::test
