#include "backend/QtHttpTransport.h"

#include "base/Errors.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QUrl>

#include <QCoroNetworkReply>

namespace varnel {

QtHttpTransport::QtHttpTransport() = default;
QtHttpTransport::~QtHttpTransport() = default;

QCoro::Task<HttpResponse> QtHttpTransport::send(HttpRequest request) {
  // Made on first use so that it belongs to the thread (and event loop) that sends.
  if (!m_manager)
    m_manager = std::make_unique<QNetworkAccessManager>();

  if (request.cancellation.isCancelled())
    throw TransportError(cancelledRequestDescription());

  const QUrl url = QUrl::fromEncoded(request.url, QUrl::StrictMode);
  if (!url.isValid())
    throw TransportError(QStringLiteral("Endereço inválido: %1").arg(QString::fromUtf8(request.url)));
  QNetworkRequest networkRequest(url);
  for (const auto &[name, value] : request.headers.entries())
    networkRequest.setRawHeader(name, value);

  // A write without a body still says "Content-Length: 0"; without it some
  // servers wait for a body that never comes.
  const bool write = request.method == "POST" || request.method == "PUT" || request.method == "PATCH";
  QNetworkReply *raw = request.body || write ? m_manager->sendCustomRequest(networkRequest, request.method,
                                                                            request.body.value_or(QByteArray()))
                                             : m_manager->sendCustomRequest(networkRequest, request.method);
  std::unique_ptr<QNetworkReply, void (*)(QNetworkReply *)> reply(raw, [](QNetworkReply *r) { r->deleteLater(); });
  // Aborting makes the reply finish at once with OperationCanceledError.
  const CancellationRegistration abortOnCancel = request.cancellation.onCancel([target = QPointer<QNetworkReply>(raw)] {
    if (target && target->isRunning())
      target->abort();
  });
  co_await qCoro(reply.get()).waitForFinished();
  if (request.cancellation.isCancelled() && reply->error() == QNetworkReply::OperationCanceledError)
    throw TransportError(cancelledRequestDescription());

  const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  if (!status.isValid())
    throw TransportError(reply->errorString());

  HttpResponse response;
  response.status = status.toInt();
  for (const auto &[name, value] : reply->rawHeaderPairs())
    response.headers.set(name, value);
  response.body = reply->readAll();
  co_return response;
}

} // namespace varnel
