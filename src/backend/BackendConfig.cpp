#include "backend/BackendConfig.h"

#include "BuildConfig.h"

#include <QHostAddress>
#include <QUrl>

#include <stdexcept>

namespace varnel {

namespace {
bool isLoopbackHost(const QString &host) {
  if (host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0)
    return true;
  QHostAddress address;
  return address.setAddress(host) && address.isLoopback();
}
} // namespace

std::optional<QString> BackendConfig::urlProblem(const QString &projectUrl) {
  const QUrl url(projectUrl, QUrl::StrictMode);
  if (!url.isValid() || url.host().isEmpty())
    return QStringLiteral("the project URL must be a valid URL with a host: %1").arg(projectUrl);
  if (url.scheme() == QLatin1String("https"))
    return std::nullopt;
  if (url.scheme() == QLatin1String("http") && isLoopbackHost(url.host()))
    return std::nullopt;
  return QStringLiteral("the project URL must use https (plain http only on a loopback host): %1").arg(projectUrl);
}

BackendConfig BackendConfig::make(const QString &projectUrl, const QString &apiKey) {
  if (auto problem = urlProblem(projectUrl))
    throw std::invalid_argument(problem->toStdString());
  BackendConfig config;
  config.projectUrl = projectUrl;
  while (config.projectUrl.endsWith(QLatin1Char('/')))
    config.projectUrl.chop(1);
  config.apiKey = apiKey;
  return config;
}

BackendConfig BackendConfig::fromBuild() {
  return make(QString::fromUtf8(build::projectUrl), QString::fromUtf8(build::anonKey));
}

QString BackendConfig::sessionStorageKey() const {
  const QString host = QUrl(projectUrl).host();
  const QString reference = host.section(QLatin1Char('.'), 0, 0);
  return QStringLiteral("sb-") + reference + QStringLiteral("-auth-token");
}

} // namespace varnel
