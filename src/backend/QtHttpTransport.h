#pragma once
// HttpTransport over Qt Network, on the thread that created it.

#include "backend/HttpTransport.h"

#include <memory>

class QNetworkAccessManager;

namespace varnel {

class QtHttpTransport : public HttpTransport {
public:
  QtHttpTransport();
  ~QtHttpTransport() override;
  QCoro::Task<HttpResponse> send(HttpRequest request) override;

private:
  std::unique_ptr<QNetworkAccessManager> m_manager;
};

} // namespace varnel
