#pragma once
// One-shot capture of the device position as position text
// ("POINT(longitude latitude)"), over Qt Positioning.

#include "model/LocationText.h"

#include <QCoroTask>
#include <QGeoPositionInfoSource>
#include <QObject>
#include <QString>

#include <coroutine>
#include <memory>
#include <optional>

namespace varnel {

// What the position source tells about the use of the location, in the terms
// the status line speaks. On Linux there is no separate permission question:
// the desktop's location service (GeoClue and its agent) asks the user when
// the first fix is requested, so a source that has not answered yet is
// "not determined", and its first answer (a fix or an access error) decides.
enum class LocationAuthorization { ServicesDisabled, NotDetermined, Denied, Authorized, Unknown };

class AtendimentoLocationManager : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString statusText READ statusText NOTIFY statusTextChanged)

public:
  // Uses the platform's default position source.
  explicit AtendimentoLocationManager(QObject *parent = nullptr);
  // Uses `source` (taken over); a null source means no location service.
  explicit AtendimentoLocationManager(std::unique_ptr<QGeoPositionInfoSource> source, QObject *parent = nullptr);
  // A capture still pending ends with no position.
  ~AtendimentoLocationManager() override;

  std::optional<Coordinate> coordinate() const { return m_coordinate; }
  QString statusText() const { return m_statusText; }
  // The position text of coordinate(), or nothing before the first capture.
  std::optional<QString> pointText() const;
  LocationAuthorization authorization() const { return m_authorization; }
  bool isPending() const { return m_pending != nullptr; }

  // Captures the position once and yields its text, or nothing when the
  // capture failed (statusText says why). A second request while one is
  // pending ends the first one with nothing and keeps the new caller: the
  // newest caller is the one still interested, and each caller is answered
  // exactly once.
  QCoro::Task<std::optional<QString>> requestLocation();

Q_SIGNALS:
  void coordinateChanged();
  void statusTextChanged();

private:
  // The caller suspended in requestLocation(); lives in its coroutine frame.
  struct Waiter {
    AtendimentoLocationManager *manager;
    std::coroutine_handle<> handle;
    std::optional<QString> result;
    bool suspending = false; // inside await_suspend: finish() must not resume
    bool finished = false;

    bool await_ready() const noexcept { return false; }
    bool await_suspend(std::coroutine_handle<> h);
    std::optional<QString> await_resume() { return std::move(result); }
  };

  void evaluateAuthorization();
  void authorizationChanged(LocationAuthorization authorization);
  void positionUpdated(const QGeoPositionInfo &info);
  void errorOccurred(QGeoPositionInfoSource::Error error);
  void finish(std::optional<QString> result);
  void setStatusText(const QString &text);

  QGeoPositionInfoSource *m_source = nullptr; // child of this object
  LocationAuthorization m_authorization = LocationAuthorization::ServicesDisabled;
  std::optional<Coordinate> m_coordinate;
  QString m_statusText;
  Waiter *m_pending = nullptr;
};

} // namespace varnel
