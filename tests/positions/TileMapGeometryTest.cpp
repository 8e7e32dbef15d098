#include "ui/map/TileMapGeometry.h"

#include <QSet>

#include <gtest/gtest.h>

#include <cmath>

using namespace varnel::map;
using varnel::Coordinate;

namespace {

const Coordinate kSaoPaulo{-23.55052, -46.633308};

struct PixelCase {
  const char *name;
  Coordinate coordinate;
  int zoom;
  QPointF pixel;
  TileKey tile;
};

class CoordinateToPixel : public ::testing::TestWithParam<PixelCase> {};

TEST_P(CoordinateToPixel, MapsToPixelAndTileAndBack) {
  const PixelCase &c = GetParam();
  const QPointF p = worldPixel(c.coordinate, c.zoom);
  EXPECT_NEAR(p.x(), c.pixel.x(), 1e-3);
  EXPECT_NEAR(p.y(), c.pixel.y(), 1e-3);
  EXPECT_EQ(tileAt(c.coordinate, c.zoom), c.tile);
  const Coordinate back = coordinateAt(p, c.zoom);
  EXPECT_NEAR(back.latitude, std::clamp(c.coordinate.latitude, -kMaxLatitude, kMaxLatitude), 1e-9);
  EXPECT_NEAR(back.longitude, c.coordinate.longitude, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Points, CoordinateToPixel,
    ::testing::Values(
        PixelCase{"Origin", {0, 0}, 0, {128, 128}, {0, 0, 0}},
        PixelCase{"OriginZoom1", {0, 0}, 1, {256, 256}, {1, 1, 1}},
        PixelCase{"NorthWestCorner", {kMaxLatitude, -180}, 2, {0, 0}, {2, 0, 0}},
        PixelCase{"SaoPaulo", kSaoPaulo, 16, {6215338.330248534, 9518419.326422382}, {16, 24278, 37181}},
        PixelCase{"EiffelTower", {48.858222, 2.2945}, 17, {16991078.900622223, 11543447.875269234}, {17, 66371, 45091}},
        // Beyond the mercator range the pole rows are the last ones.
        PixelCase{"NorthPoleClamped", {90, 0}, 3, {1024, 0}, {3, 4, 0}},
        PixelCase{"SouthPoleClamped", {-90, 0}, 3, {1024, 2048}, {3, 4, 7}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TileKey, WrapsAroundTheWorld) {
  EXPECT_EQ((TileKey{2, -1, 1}.wrapped()), (TileKey{2, 3, 1}));
  EXPECT_EQ((TileKey{2, 4, 1}.wrapped()), (TileKey{2, 0, 1}));
  EXPECT_EQ((TileKey{2, 9, 3}.wrapped()), (TileKey{2, 1, 3}));
}

struct ScaleCase {
  double metersPerPixel;
  double maxPixels;
  double meters;
  const char *label;
};

class ScaleBarLength : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleBarLength, IsTheLongestRoundLengthThatFits) {
  const ScaleCase &c = GetParam();
  const ScaleBar bar = scaleBarFor(c.metersPerPixel, c.maxPixels);
  EXPECT_DOUBLE_EQ(bar.meters, c.meters);
  EXPECT_NEAR(bar.pixels, c.meters / c.metersPerPixel, 1e-9);
  EXPECT_LE(bar.pixels, c.maxPixels);
  EXPECT_EQ(bar.label, QString::fromUtf8(c.label));
}

INSTANTIATE_TEST_SUITE_P(Lengths, ScaleBarLength,
                         ::testing::Values(ScaleCase{1.0, 110, 100, "100 m"}, ScaleCase{2.39, 110, 200, "200 m"},
                                           ScaleCase{4.6, 110, 500, "500 m"}, ScaleCase{10, 110, 1000, "1 km"},
                                           ScaleCase{20, 110, 2000, "2 km"}, ScaleCase{50, 110, 5000, "5 km"},
                                           ScaleCase{1000, 100, 100000, "100 km"}, ScaleCase{0.05, 110, 5, "5 m"},
                                           ScaleCase{0.01, 100, 1, "1 m"}, ScaleCase{1.0, 100, 100, "100 m"}));

TEST(ScaleBarLength, MetersPerPixelFollowTheLatitude) {
  EXPECT_NEAR(metersPerPixel(0, 0), 156543.03392804097, 1e-6);
  EXPECT_NEAR(metersPerPixel(60, 1), 156543.03392804097 / 4, 1e-6);
  EXPECT_EQ(scaleBarFor(0, 100).pixels, 0);
}

struct SpanCase {
  const char *name;
  Coordinate center;
  double span;
  QSizeF view;
  double zoom;
};

class SpanToZoom : public ::testing::TestWithParam<SpanCase> {};

TEST_P(SpanToZoom, FitsBothSpans) {
  const SpanCase &c = GetParam();
  EXPECT_NEAR(zoomForSpan(c.center, c.span, c.span, c.view), c.zoom, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Spans, SpanToZoom,
                         ::testing::Values(
                             // Wide view: the latitude span decides.
                             SpanCase{"SaoPauloWideView", kSaoPaulo, 0.01, {600, 400}, 15.654099838641457},
                             SpanCase{"Equator", {0, 0}, 0.01, {256, 256}, 15.1357092861044},
                             // Far north a degree of latitude is taller on the map.
                             SpanCase{"Sixty", {60, 10}, 0.01, {400, 400}, 14.779565463061573},
                             // Tall view: the longitude span decides.
                             SpanCase{"TallView", {0, 0}, 0.01, {256, 1000}, 15.1357092861044},
                             SpanCase{"TinySpanClamped", {0, 0}, 1e-9, {600, 400}, kMaxZoom},
                             SpanCase{"WholeWorldClamped", {0, 0}, 360, {100, 100}, kMinZoom},
                             SpanCase{"EmptyView", {0, 0}, 0.01, {0, 0}, kMinZoom}),
                         [](const auto &info) { return std::string(info.param.name); });

// The camera for each bearing: screen and coordinate agree both ways, a
// drag moves content by the drag, and a zoom keeps its anchor in place.
class Camera : public ::testing::TestWithParam<double> {
protected:
  Viewport viewport() const { return Viewport{kSaoPaulo, 15.3, GetParam(), QSizeF(600, 400)}; }
};

void expectNear(const QPointF &a, const QPointF &b) {
  EXPECT_NEAR(a.x(), b.x(), 1e-6);
  EXPECT_NEAR(a.y(), b.y(), 1e-6);
}

TEST_P(Camera, CentreIsTheCentreAndScreenPointsReadBack) {
  const Viewport v = viewport();
  expectNear(v.toScreen(kSaoPaulo), QPointF(300, 200));
  for (const QPointF p : {QPointF(0, 0), QPointF(600, 400), QPointF(123.5, 321.25)})
    expectNear(v.toScreen(v.toCoordinate(p)), p);
}

TEST_P(Camera, PanMovesContentByTheDrag) {
  const Viewport v = viewport();
  const Coordinate c = v.toCoordinate({100, 80});
  expectNear(v.panned({35, -20}).toScreen(c), QPointF(135, 60));
}

TEST_P(Camera, ZoomKeepsTheAnchor) {
  const Viewport v = viewport();
  const QPointF anchor(450, 90);
  const Coordinate c = v.toCoordinate(anchor);
  const Viewport zoomed = v.zoomedAround(anchor, 17.2);
  EXPECT_DOUBLE_EQ(zoomed.zoom, 17.2);
  expectNear(zoomed.toScreen(c), anchor);
}

TEST_P(Camera, NorthIsUpWhenTheBearingIsZero) {
  const Viewport v = viewport();
  const QPointF north = v.toScreen({kSaoPaulo.latitude + 0.001, kSaoPaulo.longitude}) - QPointF(300, 200);
  const double angle = std::atan2(north.x(), -north.y()) * 180 / M_PI; // clockwise from screen up
  EXPECT_NEAR(std::remainder(angle + GetParam(), 360), 0, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Bearings, Camera, ::testing::Values(0.0, 30.0, -135.0, 90.0));

// 512 × 512 at zoom 2 around (0, 0): the view covers the four middle tiles.
struct TilesCase {
  const char *name;
  double bearing;
  int ring;
  int count;
};

class VisibleTiles : public ::testing::TestWithParam<TilesCase> {};

TEST_P(VisibleTiles, CoverTheViewAndOneRing) {
  const TilesCase &c = GetParam();
  const Viewport v{{0, 0}, 2, c.bearing, QSizeF(512, 512)};
  const QList<TileKey> tiles = v.tiles(c.ring);
  EXPECT_EQ(tiles.size(), c.count);
  EXPECT_EQ(QSet<TileKey>(tiles.begin(), tiles.end()).size(), tiles.size());
  // Nearest first: one of the four around the centre.
  ASSERT_FALSE(tiles.isEmpty());
  EXPECT_TRUE(tiles.front().x >= 1 && tiles.front().x <= 2 && tiles.front().y >= 1 && tiles.front().y <= 2);
}

INSTANTIATE_TEST_SUITE_P(Views, VisibleTiles,
                         ::testing::Values(TilesCase{"Visible", 0, 0, 4},
                                           // 4 × 4 around them; rows past the poles do not exist.
                                           TilesCase{"WithRing", 0, 1, 16},
                                           // Turned 45°, the view is a diamond that misses the four corner tiles.
                                           TilesCase{"Turned", 45, 0, 12},
                                           // The ring around those 12 spans columns -1 … 4, rows 0 … 3.
                                           TilesCase{"TurnedWithRing", 45, 1, 24}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
