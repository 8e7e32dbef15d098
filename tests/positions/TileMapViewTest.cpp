#include "ui/map/TileMapView.h"
#include "ui/map/DemoTileServer.h"

#include "ui/WaitUntil.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace varnel::map;
using varnel::Coordinate;
using varnel::test::waitUntil;

namespace {

const Coordinate kSaoPaulo{-23.55052, -46.633308};
const QColor kMarkerRed(0xe5, 0x39, 0x35);

bool near(QColor a, QColor b, int tolerance) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

// A map view over tiles from a loopback server, in a fresh disk cache.
class MapViewFixture : public ::testing::Test {
public:
  void SetUp() override {
    ASSERT_TRUE(cache.isValid());
    ASSERT_TRUE(server.start());
    loader = std::make_unique<TileLoader>(server.urlTemplate(), cache.path());
    view = std::make_unique<TileMapView>(loader.get());
    view->resize(600, 400);
  }

  QSet<TileKey> wrapped(const QList<TileKey> &keys) const {
    QSet<TileKey> out;
    for (const TileKey &k : keys)
      out.insert(k.wrapped());
    return out;
  }

  void send(QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons buttons,
            Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, pos, view->mapToGlobal(pos), button, buttons, modifiers);
    QApplication::sendEvent(view.get(), &event);
  }
  void drag(QPointF from, QPointF to, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, modifiers);
    send(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton, modifiers);
    send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, modifiers);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, modifiers);
  }

  TileMapView &map() { return *view; }

  QTemporaryDir cache;
  DemoTileServer server{DemoTileServer::Style::Solid};
  std::unique_ptr<TileLoader> loader;
  std::unique_ptr<TileMapView> view;
};

TEST_F(MapViewFixture, ShowsServedTilesTheMarkerAtTheCentreAndTheGridWhereATileIsRefused) {
  // The tile under this point is refused (404).
  const QPointF refusedPoint(150, 300);
  const QPointF servedPoint(450, 110);
  TileKey refused{-1, 0, 0};
  server.setRefused([&](const TileKey &k) { return k == refused; });

  view->showPosition(kSaoPaulo);
  const Viewport &v = view->viewport();
  refused = tileAt(v.toCoordinate(refusedPoint), v.tileZoom());
  ASSERT_NE(refused, tileAt(v.toCoordinate(servedPoint), v.tileZoom()));
  EXPECT_NEAR(v.zoom, zoomForSpan(kSaoPaulo, 0.01, 0.01, QSizeF(600, 400)), 1e-9);
  view->show();

  ASSERT_TRUE(waitUntil([&] { return loader->pendingCount() == 0 && loader->hasFailed(refused); }));
  const QImage image = view->grab().toImage();

  EXPECT_EQ(image.pixelColor(servedPoint.toPoint()), DemoTileServer::solidColor());
  const QColor grid = image.pixelColor(refusedPoint.toPoint());
  EXPECT_TRUE(near(grid, QColor(0xe9, 0xe5, 0xdc), 30)) << grid.name().toStdString();
  // The balloon's point rests on the centre pixel, its white dot above it.
  EXPECT_TRUE(near(image.pixelColor(300, 200 - 8), kMarkerRed, 8));
  EXPECT_EQ(image.pixelColor(300, 200 - 28), QColor(Qt::white));
  EXPECT_EQ(view->markerTitle(), QStringLiteral("Atendimento"));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

  // Only tiles in view or one ring around it, each once, with our name on them.
  const QSet<TileKey> wanted = wrapped(v.tiles(1));
  const QSet<TileKey> requested(server.requested().begin(), server.requested().end());
  EXPECT_EQ(requested.size(), server.requested().size());
  EXPECT_TRUE(wanted.contains(requested)) << requested.size() << " requested";
  EXPECT_EQ(requested.size(), wanted.size());
  EXPECT_TRUE(server.lastUserAgent().startsWith("Varnel/")) << server.lastUserAgent().toStdString();
}

TEST_F(MapViewFixture, OfflineShowsGridMarkerAndAttributionWithoutADialog) {
  // A port that was free a moment ago and refuses connections now.
  QString unreachable;
  {
    DemoTileServer closed;
    ASSERT_TRUE(closed.start());
    unreachable = closed.urlTemplate();
  }
  TileLoader offline(unreachable, cache.path());
  TileMapView map(&offline);
  map.resize(400, 300);
  map.showPosition(kSaoPaulo);
  map.show();
  const QList<TileKey> tiles = map.viewport().tiles(0);
  ASSERT_TRUE(waitUntil([&] { return offline.pendingCount() == 0; }));
  for (const TileKey &k : tiles)
    EXPECT_TRUE(offline.hasFailed(k));
  const QImage image = map.grab().toImage();
  EXPECT_TRUE(near(image.pixelColor(60, 250), QColor(0xe9, 0xe5, 0xdc), 30));
  EXPECT_TRUE(near(image.pixelColor(200, 150 - 8), kMarkerRed, 8));
  // The attribution box in the bottom trailing corner is light, with dark text in it.
  EXPECT_GT(image.pixelColor(398, 298).lightness(), 200);
  int dark = 0;
  for (int y = 284; y < 300; ++y)
    for (int x = 230; x < 400; ++x)
      dark += image.pixelColor(x, y).lightness() < 110;
  EXPECT_GT(dark, 50);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(TileMapView::attribution(), QStringLiteral("© OpenStreetMap contributors"));
}

TEST_F(MapViewFixture, TilesThatLeaveTheViewAreCancelled) {
  server.setHolding(true);
  view->showPosition(kSaoPaulo);
  ASSERT_GT(loader->pendingCount(), 0);
  const QSet<TileKey> before = wrapped(view->viewport().tiles(1));
  ASSERT_TRUE(waitUntil([&] { return server.openTiles().intersects(before); }));

  // Far away: none of the earlier tiles is wanted any more.
  view->showPosition({-22.9068, -43.1729});
  const QSet<TileKey> after = wrapped(view->viewport().tiles(1));
  ASSERT_FALSE(before.intersects(after));
  for (const TileKey &k : before)
    EXPECT_FALSE(loader->isPending(k));
  EXPECT_LE(loader->pendingCount(), after.size());
  // The server held the earlier requests; cancelling them closes their connections.
  EXPECT_TRUE(waitUntil([&] { return !server.openTiles().intersects(before) && !server.openTiles().isEmpty(); }));
}

// Each input moves the camera as the user expects; the marker starts at the centre.
struct InputCase {
  const char *name;
  std::function<void(MapViewFixture &)> act;
  double zoomChange;
  QPointF markerMove;
};

class MapInput : public MapViewFixture, public ::testing::WithParamInterface<InputCase> {};

TEST_P(MapInput, MovesTheCamera) {
  view->showPosition(kSaoPaulo);
  view->show();
  const double zoom = view->viewport().zoom;
  GetParam().act(*this);
  EXPECT_NEAR(view->viewport().zoom - zoom, GetParam().zoomChange, 1e-9);
  const QPointF marker = view->viewport().toScreen(kSaoPaulo);
  EXPECT_NEAR(marker.x() - 300, GetParam().markerMove.x(), 1e-6);
  EXPECT_NEAR(marker.y() - 200, GetParam().markerMove.y(), 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, MapInput,
    ::testing::Values(InputCase{"Drag",
                                [](auto &f) {
                                  f.drag({100, 100}, {140, 70});
                                },
                                0,
                                {40, -30}},
                      InputCase{"ArrowLeft", [](auto &f) { QTest::keyClick(&f.map(), Qt::Key_Left); }, 0, {64, 0}},
                      InputCase{"ArrowDown", [](auto &f) { QTest::keyClick(&f.map(), Qt::Key_Down); }, 0, {0, -64}},
                      InputCase{"Plus", [](auto &f) { QTest::keyClick(&f.map(), Qt::Key_Plus); }, 1, {0, 0}},
                      InputCase{"Minus", [](auto &f) { QTest::keyClick(&f.map(), Qt::Key_Minus); }, -1, {0, 0}},
                      // Zooming in by one around (400, 200) doubles the marker's distance from it.
                      InputCase{"DoubleClick",
                                [](auto &f) {
                                  f.send(QEvent::MouseButtonDblClick, {400, 200}, Qt::LeftButton, Qt::LeftButton);
                                },
                                1,
                                {-100, 0}},
                      InputCase{"Wheel",
                                [](auto &f) {
                                  QWheelEvent wheel({300, 200}, f.map().mapToGlobal(QPointF(300, 200)), {}, {0, 240},
                                                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
                                  QApplication::sendEvent(&f.map(), &wheel);
                                },
                                1,
                                {0, 0}},
                      // Turning about the centre leaves the centred marker where it is.
                      InputCase{"CtrlDragTurns",
                                [](auto &f) {
                                  f.drag({500, 200}, {300, 0}, Qt::ControlModifier);
                                },
                                0,
                                {0, 0}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(MapViewFixture, CtrlDragTurnsTheMapAndTheCompassTurnsItBack) {
  view->showPosition(kSaoPaulo);
  view->show();
  // A quarter turn of the pointer around the centre, anticlockwise on screen.
  drag({500, 200}, {300, 0}, Qt::ControlModifier);
  EXPECT_NEAR(view->viewport().bearing, 90, 1e-6);
  // The map turned with the pointer: east of the marker is now above it.
  const QPointF east = view->viewport().toScreen({kSaoPaulo.latitude, kSaoPaulo.longitude + 0.001});
  EXPECT_NEAR(east.x(), 300, 1e-6);
  EXPECT_LT(east.y(), 200);

  const QPointF compass = view->compassRect().center();
  send(QEvent::MouseButtonPress, compass, Qt::LeftButton, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, compass, Qt::LeftButton, Qt::NoButton);
  EXPECT_DOUBLE_EQ(view->viewport().bearing, 0);
}

} // namespace
