#include "platform/AtendimentoLocationManager.h"

#include <utility>

namespace varnel {

namespace {

const QString kLocating = QStringLiteral("Obtendo localização...");

LocationAuthorization authorizationOf(const QGeoPositionInfoSource *source) {
  if (!source || source->supportedPositioningMethods() == QGeoPositionInfoSource::NoPositioningMethods)
    return LocationAuthorization::ServicesDisabled;
  switch (source->error()) {
  case QGeoPositionInfoSource::NoError:
  case QGeoPositionInfoSource::UpdateTimeoutError:
    return LocationAuthorization::NotDetermined;
  case QGeoPositionInfoSource::AccessError:
    return LocationAuthorization::Denied;
  case QGeoPositionInfoSource::ClosedError:
    return LocationAuthorization::ServicesDisabled;
  case QGeoPositionInfoSource::UnknownSourceError:
    break;
  }
  return LocationAuthorization::Unknown;
}

} // namespace

AtendimentoLocationManager::AtendimentoLocationManager(QObject *parent)
    : AtendimentoLocationManager(
          std::unique_ptr<QGeoPositionInfoSource>(QGeoPositionInfoSource::createDefaultSource(nullptr)), parent) {}

AtendimentoLocationManager::AtendimentoLocationManager(std::unique_ptr<QGeoPositionInfoSource> source, QObject *parent)
    : QObject(parent), m_source(source.release()), m_statusText(kLocating) {
  m_authorization = authorizationOf(m_source);
  if (!m_source)
    return;
  m_source->setParent(this);
  // The best accuracy the device offers: let the source use every method.
  m_source->setPreferredPositioningMethods(QGeoPositionInfoSource::AllPositioningMethods);
  connect(m_source, &QGeoPositionInfoSource::positionUpdated, this, &AtendimentoLocationManager::positionUpdated);
  connect(m_source, &QGeoPositionInfoSource::errorOccurred, this, &AtendimentoLocationManager::errorOccurred);
  connect(m_source, &QGeoPositionInfoSource::supportedPositioningMethodsChanged, this, [this] {
    // The service was switched on or off; a switched-on service has to
    // answer again before it counts as authorized.
    const bool disabled = m_source->supportedPositioningMethods() == QGeoPositionInfoSource::NoPositioningMethods;
    if (disabled)
      authorizationChanged(LocationAuthorization::ServicesDisabled);
    else if (m_authorization == LocationAuthorization::ServicesDisabled)
      authorizationChanged(LocationAuthorization::NotDetermined);
  });
}

AtendimentoLocationManager::~AtendimentoLocationManager() {
  // The waiting caller is answered before the source goes away; it must not
  // touch this object once resumed (requestLocation does not).
  finish(std::nullopt);
}

std::optional<QString> AtendimentoLocationManager::pointText() const {
  if (!m_coordinate)
    return std::nullopt;
  return varnel::pointText(*m_coordinate);
}

QCoro::Task<std::optional<QString>> AtendimentoLocationManager::requestLocation() {
  Waiter waiter{this, {}, std::nullopt};
  // Only the coroutine frame is used after this point: the component may be
  // gone by the time the waiter is resumed.
  std::optional<QString> result = co_await waiter;
  co_return result;
}

bool AtendimentoLocationManager::Waiter::await_suspend(std::coroutine_handle<> h) {
  handle = h;
  suspending = true;
  AtendimentoLocationManager *const m = manager;
  // The earlier caller gets no position. A loop, since that caller may
  // request again as soon as it is resumed.
  while (m->m_pending)
    m->finish(std::nullopt);
  m->m_pending = this;
  m->evaluateAuthorization();
  suspending = false;
  // A capture that ended right away (no service, denied) resumes at once.
  return !finished;
}

void AtendimentoLocationManager::evaluateAuthorization() {
  switch (m_authorization) {
  case LocationAuthorization::ServicesDisabled:
    setStatusText(QStringLiteral("Serviços de localização desativados."));
    finish(std::nullopt);
    return;
  case LocationAuthorization::NotDetermined:
    // The first request is what makes the desktop ask the user; its answer
    // comes back as a fix or as an access error.
    setStatusText(QStringLiteral("Aguardando permissão de localização..."));
    m_source->requestUpdate();
    return;
  case LocationAuthorization::Denied:
    setStatusText(QStringLiteral("Localização não autorizada."));
    finish(std::nullopt);
    return;
  case LocationAuthorization::Authorized:
    setStatusText(kLocating);
    m_source->requestUpdate();
    return;
  case LocationAuthorization::Unknown:
    break;
  }
  setStatusText(QStringLiteral("Não foi possível verificar a permissão de localização."));
  finish(std::nullopt);
}

void AtendimentoLocationManager::authorizationChanged(LocationAuthorization authorization) {
  m_authorization = authorization;
  // Only a capture in progress reacts; an idle component waits for the next
  // request rather than starting one nobody asked for.
  if (m_pending)
    evaluateAuthorization();
}

void AtendimentoLocationManager::positionUpdated(const QGeoPositionInfo &info) {
  // An update without a coordinate carries no location: ignored, the
  // capture keeps waiting.
  if (!info.isValid() || !info.coordinate().isValid())
    return;
  // A fix is the platform's yes.
  m_authorization = LocationAuthorization::Authorized;
  const QGeoCoordinate c = info.coordinate();
  m_coordinate = Coordinate{c.latitude(), c.longitude()};
  Q_EMIT coordinateChanged();
  setStatusText(QStringLiteral("Localização capturada."));
  finish(pointText());
}

void AtendimentoLocationManager::errorOccurred(QGeoPositionInfoSource::Error error) {
  switch (error) {
  case QGeoPositionInfoSource::AccessError:
    authorizationChanged(LocationAuthorization::Denied);
    return;
  case QGeoPositionInfoSource::ClosedError:
    authorizationChanged(LocationAuthorization::ServicesDisabled);
    return;
  case QGeoPositionInfoSource::UnknownSourceError:
    authorizationChanged(LocationAuthorization::Unknown);
    return;
  case QGeoPositionInfoSource::NoError:
  case QGeoPositionInfoSource::UpdateTimeoutError:
    break;
  }
  // The fix itself failed (timed out); the error is not shown.
  setStatusText(QStringLiteral("Não foi possível obter a localização."));
  finish(std::nullopt);
}

void AtendimentoLocationManager::finish(std::optional<QString> result) {
  Waiter *const waiter = std::exchange(m_pending, nullptr);
  if (!waiter)
    return;
  waiter->result = std::move(result);
  waiter->finished = true;
  // Cleared before resuming: the resumed caller may request again at once.
  if (!waiter->suspending)
    waiter->handle.resume();
}

void AtendimentoLocationManager::setStatusText(const QString &text) {
  if (text == m_statusText)
    return;
  m_statusText = text;
  Q_EMIT statusTextChanged();
}

} // namespace varnel
