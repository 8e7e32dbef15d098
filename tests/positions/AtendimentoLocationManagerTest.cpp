#include "platform/AtendimentoLocationManager.h"

#include <QGeoPositionInfoSource>

#include <gtest/gtest.h>

#include <memory>

using varnel::AtendimentoLocationManager;
using varnel::Coordinate;
using Error = QGeoPositionInfoSource::Error;

namespace {

const QString kWaiting = QStringLiteral("Aguardando permissão de localização...");
const QString kLocating = QStringLiteral("Obtendo localização...");
const QString kCaptured = QStringLiteral("Localização capturada.");
const QString kDisabled = QStringLiteral("Serviços de localização desativados.");
const QString kDenied = QStringLiteral("Localização não autorizada.");
const QString kUnverifiable = QStringLiteral("Não foi possível verificar a permissão de localização.");
const QString kFailed = QStringLiteral("Não foi possível obter a localização.");

// A position source the test answers for.
class FakeSource : public QGeoPositionInfoSource {
public:
  explicit FakeSource(Error error = NoError, PositioningMethods methods = AllPositioningMethods)
      : QGeoPositionInfoSource(nullptr), m_error(error), m_methods(methods) {}

  QGeoPositionInfo lastKnownPosition(bool) const override { return {}; }
  PositioningMethods supportedPositioningMethods() const override { return m_methods; }
  int minimumUpdateInterval() const override { return 0; }
  Error error() const override { return m_error; }
  void startUpdates() override { ++continuousStarts; }
  void stopUpdates() override {}
  void requestUpdate(int) override { ++requests; }

  void fix(double latitude, double longitude) {
    Q_EMIT positionUpdated(QGeoPositionInfo(QGeoCoordinate(latitude, longitude), QDateTime::currentDateTimeUtc()));
  }
  void fail(Error error) {
    m_error = error;
    Q_EMIT errorOccurred(error);
  }
  void switchOff() {
    m_methods = NoPositioningMethods;
    Q_EMIT supportedPositioningMethodsChanged();
  }

  int requests = 0;
  int continuousStarts = 0;

private:
  Error m_error;
  PositioningMethods m_methods;
};

// What a caller of requestLocation() received.
struct Outcome {
  bool done = false;
  std::optional<QString> text;
};

QCoro::Task<> collect(QCoro::Task<std::optional<QString>> task, std::shared_ptr<Outcome> outcome) {
  std::optional<QString> text = co_await task;
  outcome->text = std::move(text);
  outcome->done = true;
}

class LocationCapture : public ::testing::Test {
protected:
  void makeManager(std::unique_ptr<FakeSource> fake) {
    source = fake.get();
    manager = std::make_unique<AtendimentoLocationManager>(std::move(fake));
  }
  void makeManager(Error error = Error::NoError) { makeManager(std::make_unique<FakeSource>(error)); }

  std::shared_ptr<Outcome> request() {
    auto outcome = std::make_shared<Outcome>();
    tasks.push_back(collect(manager->requestLocation(), outcome));
    return outcome;
  }

  // Captures one position so the source counts as authorized.
  void captureOnce(double latitude, double longitude) {
    auto first = request();
    source->fix(latitude, longitude);
    ASSERT_TRUE(first->done);
  }

  FakeSource *source = nullptr; // owned by the manager
  std::unique_ptr<AtendimentoLocationManager> manager;
  std::vector<QCoro::Task<>> tasks;
};

TEST_F(LocationCapture, StartsIdleWithTheLocatingText) {
  makeManager();
  EXPECT_EQ(manager->statusText(), kLocating);
  EXPECT_FALSE(manager->coordinate());
  EXPECT_FALSE(manager->pointText());
  EXPECT_EQ(source->requests, 0);
}

TEST_F(LocationCapture, FirstFixAsksForPermissionAndYieldsThePointText) {
  makeManager();
  auto outcome = request();
  EXPECT_EQ(manager->statusText(), kWaiting);
  EXPECT_EQ(source->requests, 1);
  EXPECT_EQ(source->continuousStarts, 0);
  EXPECT_FALSE(outcome->done);

  source->fix(-23.55052, -46.633308);
  ASSERT_TRUE(outcome->done);
  EXPECT_EQ(outcome->text, QStringLiteral("POINT(-46.633308 -23.55052)"));
  EXPECT_EQ(manager->statusText(), kCaptured);
  EXPECT_EQ(manager->coordinate(), (Coordinate{-23.55052, -46.633308}));
  EXPECT_FALSE(manager->isPending());

  // Once a fix came, the next capture goes straight to locating.
  auto second = request();
  EXPECT_EQ(manager->statusText(), kLocating);
  EXPECT_EQ(source->requests, 2);
  source->fix(-22.9, -47.06);
  EXPECT_EQ(second->text, QStringLiteral("POINT(-47.06 -22.9)"));
}

// A source whose state already tells the answer ends the capture at once,
// without asking for a fix.
struct StateCase {
  const char *name;
  bool hasSource;
  Error error;
  QGeoPositionInfoSource::PositioningMethods methods;
  QString status;
};

class CaptureFromState : public LocationCapture, public ::testing::WithParamInterface<StateCase> {};

TEST_P(CaptureFromState, EndsAtOnceWithNoPosition) {
  const StateCase &c = GetParam();
  if (c.hasSource)
    makeManager(std::make_unique<FakeSource>(c.error, c.methods));
  else
    makeManager(std::unique_ptr<FakeSource>());
  auto outcome = request();
  ASSERT_TRUE(outcome->done);
  EXPECT_FALSE(outcome->text);
  EXPECT_EQ(manager->statusText(), c.status);
  EXPECT_FALSE(manager->isPending());
  if (source) {
    EXPECT_EQ(source->requests, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(States, CaptureFromState,
                         ::testing::Values(StateCase{"NoSource", false, Error::NoError, {}, kDisabled},
                                           StateCase{"ServiceWithoutMethods", true, Error::NoError,
                                                     QGeoPositionInfoSource::NoPositioningMethods, kDisabled},
                                           StateCase{"Closed", true, Error::ClosedError,
                                                     QGeoPositionInfoSource::AllPositioningMethods, kDisabled},
                                           StateCase{"AccessDenied", true, Error::AccessError,
                                                     QGeoPositionInfoSource::AllPositioningMethods, kDenied},
                                           StateCase{"UnknownSourceError", true, Error::UnknownSourceError,
                                                     QGeoPositionInfoSource::AllPositioningMethods, kUnverifiable}),
                         [](const auto &info) { return std::string(info.param.name); });

// An error while a capture is pending: the permission errors are read as a
// change of authorization, a timeout as a failed fix. A failed capture keeps
// the last captured position.
struct ErrorCase {
  const char *name;
  Error error;
  QString status;
};

class CaptureError : public LocationCapture, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(CaptureError, EndsWithNoPositionAndKeepsTheLastCoordinate) {
  makeManager();
  captureOnce(-23.5, -46.6);
  auto outcome = request();
  ASSERT_FALSE(outcome->done);
  source->fail(GetParam().error);
  ASSERT_TRUE(outcome->done);
  EXPECT_FALSE(outcome->text);
  EXPECT_EQ(manager->statusText(), GetParam().status);
  EXPECT_EQ(manager->coordinate(), (Coordinate{-23.5, -46.6}));
  EXPECT_EQ(manager->pointText(), QStringLiteral("POINT(-46.6 -23.5)"));
}

INSTANTIATE_TEST_SUITE_P(Errors, CaptureError,
                         ::testing::Values(ErrorCase{"AccessDenied", Error::AccessError, kDenied},
                                           ErrorCase{"Closed", Error::ClosedError, kDisabled},
                                           ErrorCase{"UnknownSource", Error::UnknownSourceError, kUnverifiable},
                                           ErrorCase{"Timeout", Error::UpdateTimeoutError, kFailed}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(LocationCapture, DeniedWhileWaitingForPermissionStaysDeniedForTheNextRequest) {
  makeManager();
  auto first = request();
  source->fail(Error::AccessError);
  EXPECT_EQ(manager->statusText(), kDenied);
  auto second = request();
  ASSERT_TRUE(second->done);
  EXPECT_FALSE(second->text);
  EXPECT_EQ(source->requests, 1);
}

TEST_F(LocationCapture, ServiceSwitchedOffDuringACaptureEndsIt) {
  makeManager();
  auto outcome = request();
  source->switchOff();
  ASSERT_TRUE(outcome->done);
  EXPECT_FALSE(outcome->text);
  EXPECT_EQ(manager->statusText(), kDisabled);
}

TEST_F(LocationCapture, UpdateWithoutACoordinateIsIgnored) {
  makeManager();
  auto outcome = request();
  Q_EMIT source->positionUpdated(QGeoPositionInfo());
  EXPECT_FALSE(outcome->done);
  EXPECT_TRUE(manager->isPending());
  EXPECT_EQ(manager->statusText(), kWaiting);
  EXPECT_FALSE(manager->coordinate());

  source->fix(1.5, 2.5);
  ASSERT_TRUE(outcome->done);
  EXPECT_EQ(outcome->text, QStringLiteral("POINT(2.5 1.5)"));
}

TEST_F(LocationCapture, SecondRequestEndsTheFirstWithNoPositionAndGetsTheFix) {
  makeManager();
  auto first = request();
  auto second = request();
  ASSERT_TRUE(first->done);
  EXPECT_FALSE(first->text);
  EXPECT_FALSE(second->done);

  source->fix(-23.5, -46.6);
  ASSERT_TRUE(second->done);
  EXPECT_EQ(second->text, QStringLiteral("POINT(-46.6 -23.5)"));
  EXPECT_EQ(first->text, std::nullopt); // answered once only
}

TEST_F(LocationCapture, FixWithoutACallerOnlyUpdatesTheCoordinate) {
  makeManager();
  source->fix(10, 20);
  EXPECT_EQ(manager->coordinate(), (Coordinate{10, 20}));
  EXPECT_EQ(manager->statusText(), kCaptured);
}

TEST_F(LocationCapture, DestroyingTheComponentAnswersThePendingCaller) {
  makeManager();
  auto outcome = request();
  manager.reset();
  ASSERT_TRUE(outcome->done);
  EXPECT_FALSE(outcome->text);
}

} // namespace
