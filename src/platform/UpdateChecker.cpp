#include "platform/UpdateChecker.h"

#include "backend/HttpTransport.h"
#include "base/Errors.h"

#include <QUrl>

#include <stdexcept>

namespace varnel {

UpdateChecker::UpdateChecker(std::shared_ptr<HttpTransport> transport, QString feedUrl, QString currentVersion)
    : m_transport(std::move(transport)), m_feedUrl(std::move(feedUrl)), m_currentVersion(std::move(currentVersion)) {}

QCoro::Task<UpdateCheckResult> UpdateChecker::checkFeed(std::shared_ptr<HttpTransport> transport, QString feedUrl,
                                                        QString currentVersion) {
  if (feedUrl.isEmpty())
    co_return UpdateCheckFailed{QStringLiteral("Esta versão não tem um endereço de atualizações configurado.")};

  QUrl url(feedUrl);
  HttpResponse response;
  try {
    // Follow a few redirects, staying on http(s).
    for (int hop = 0;; ++hop) {
      HttpRequest request;
      request.method = "GET";
      request.url = url.toEncoded();
      request.headers.set("Accept", "application/rss+xml, application/xml, text/xml");
      auto reply = co_await transport->send(request);
      response = std::move(reply);
      const auto location = response.headers.value("Location");
      if (response.status < 300 || response.status >= 400 || !location || hop >= 5)
        break;
      const QUrl next = url.resolved(QUrl::fromEncoded(*location));
      if (next.scheme() != QLatin1String("https") && next.scheme() != QLatin1String("http"))
        break;
      url = next;
    }
  } catch (const VarnelError &error) {
    co_return UpdateCheckFailed{error.description()};
  }
  if (response.status < 200 || response.status >= 300)
    co_return UpdateCheckFailed{
        QStringLiteral("O servidor de atualizações respondeu com o status %1.").arg(response.status)};

  std::vector<AppcastItem> items;
  try {
    items = parseAppcast(response.body);
  } catch (const std::runtime_error &error) {
    co_return UpdateCheckFailed{
        QStringLiteral("Não foi possível ler o feed de atualizações: %1.").arg(QString::fromUtf8(error.what()))};
  }
  auto newest = newestItemAbove(items, currentVersion);
  if (newest)
    co_return UpdateAvailable{*newest};
  co_return UpToDate{};
}

} // namespace varnel
