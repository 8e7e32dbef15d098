#include "ui/map/TileMapGeometry.h"

#include <QLineF>
#include <QPolygonF>
#include <QSet>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>

namespace varnel::map {

namespace {

constexpr double kEarthCircumference = 40075016.685578488; // metres at the equator (WGS 84)

double radians(double degrees) { return degrees * std::numbers::pi / 180.0; }
double degrees(double radians) { return radians * 180.0 / std::numbers::pi; }

// Mercator y of a latitude in units of the world square (0 at the top, 1 at the bottom).
double mercatorY(double latitude) {
  const double lat = radians(std::clamp(latitude, -kMaxLatitude, kMaxLatitude));
  return 0.5 - std::log(std::tan(std::numbers::pi / 4 + lat / 2)) / (2 * std::numbers::pi);
}

// Screen offset from the view centre to world offset, and back.
QTransform screenToWorld(double bearing) { return QTransform().rotate(bearing); }

} // namespace

TileKey TileKey::wrapped() const {
  const int n = 1 << z;
  return TileKey{z, ((x % n) + n) % n, y};
}

double worldSize(double zoom) { return kTileSize * std::exp2(zoom); }

QPointF worldPixel(const Coordinate &c, double zoom) {
  const double size = worldSize(zoom);
  return {(c.longitude + 180.0) / 360.0 * size, mercatorY(c.latitude) * size};
}

Coordinate coordinateAt(const QPointF &p, double zoom) {
  const double size = worldSize(zoom);
  double longitude = std::fmod(p.x() / size * 360.0, 360.0);
  if (longitude < 0)
    longitude += 360.0;
  longitude -= 180.0;
  const double y = std::clamp(p.y() / size, 0.0, 1.0);
  const double latitude = degrees(std::atan(std::sinh(std::numbers::pi * (1 - 2 * y))));
  return {latitude, longitude};
}

TileKey tileAt(const Coordinate &c, int zoom) {
  const QPointF p = worldPixel(c, zoom);
  const int n = 1 << zoom;
  const int x = std::clamp(static_cast<int>(std::floor(p.x() / kTileSize)), 0, n - 1);
  const int y = std::clamp(static_cast<int>(std::floor(p.y() / kTileSize)), 0, n - 1);
  return {zoom, x, y};
}

double metersPerPixel(double latitude, double zoom) {
  return kEarthCircumference * std::cos(radians(latitude)) / worldSize(zoom);
}

double zoomForSpan(const Coordinate &center, double latitudeSpan, double longitudeSpan, const QSizeF &viewSize) {
  if (viewSize.isEmpty())
    return kMinZoom;
  double zoom = kMaxZoom;
  if (longitudeSpan > 0)
    zoom = std::min(zoom, std::log2(viewSize.width() / (kTileSize * longitudeSpan / 360.0)));
  if (latitudeSpan > 0) {
    const double top = mercatorY(center.latitude + latitudeSpan / 2);
    const double bottom = mercatorY(center.latitude - latitudeSpan / 2);
    const double height = (bottom - top) * kTileSize;
    if (height > 0)
      zoom = std::min(zoom, std::log2(viewSize.height() / height));
  }
  return std::clamp(zoom, double(kMinZoom), double(kMaxZoom));
}

ScaleBar scaleBarFor(double metersPerPixel, double maxPixels) {
  ScaleBar bar;
  if (!(metersPerPixel > 0) || !(maxPixels > 0))
    return bar;
  const double maxMeters = metersPerPixel * maxPixels;
  double power = std::pow(10.0, std::floor(std::log10(maxMeters)));
  double meters = power;
  for (double step : {5.0, 2.0, 1.0}) {
    if (step * power <= maxMeters) {
      meters = step * power;
      break;
    }
  }
  // Round away the floating-point noise of pow(10, n) for small n.
  if (meters >= 1)
    meters = std::round(meters);
  bar.meters = meters;
  bar.pixels = meters / metersPerPixel;
  if (meters >= 1000)
    bar.label = QString::number(meters / 1000, 'g', 12) + QStringLiteral(" km");
  else
    bar.label = QString::number(meters, 'g', 12) + QStringLiteral(" m");
  return bar;
}

int Viewport::tileZoom() const { return std::clamp(static_cast<int>(std::lround(zoom)), kMinZoom, kMaxZoom); }

QPointF Viewport::toScreen(const Coordinate &c) const {
  const double world = worldSize(zoom);
  QPointF d = worldPixel(c, zoom) - worldPixel(center, zoom);
  // The nearest copy of a world that repeats east and west.
  d.setX(d.x() - world * std::round(d.x() / world));
  const QPointF screen = screenToWorld(bearing).inverted().map(d);
  return QPointF(size.width() / 2, size.height() / 2) + screen;
}

Coordinate Viewport::toCoordinate(const QPointF &screen) const {
  const QPointF d = screen - QPointF(size.width() / 2, size.height() / 2);
  return coordinateAt(worldPixel(center, zoom) + screenToWorld(bearing).map(d), zoom);
}

Viewport Viewport::panned(const QPointF &delta) const {
  Viewport v = *this;
  v.center = toCoordinate(QPointF(size.width() / 2, size.height() / 2) - delta);
  return v;
}

Viewport Viewport::zoomedAround(const QPointF &anchor, double newZoom) const {
  const Coordinate fixed = toCoordinate(anchor);
  Viewport v = *this;
  v.zoom = std::clamp(newZoom, double(kMinZoom), double(kMaxZoom));
  const QPointF d = anchor - QPointF(size.width() / 2, size.height() / 2);
  v.center = coordinateAt(worldPixel(fixed, v.zoom) - screenToWorld(bearing).map(d), v.zoom);
  return v;
}

QList<TileKey> Viewport::tiles(int ring) const {
  const int z = tileZoom();
  const double scale = std::exp2(z - zoom); // screen pixels to tile-zoom world pixels
  const QPointF centre = worldPixel(center, z);
  const QTransform toWorld = QTransform().rotate(bearing).scale(scale, scale);
  const QRectF screen(QPointF(-size.width() / 2, -size.height() / 2), size);
  // The view in tile-zoom world pixels: a rectangle, turned by the bearing.
  const QPolygonF view = toWorld.map(QPolygonF(screen)).translated(centre);
  const QRectF bounds = view.boundingRect();
  const int n = 1 << z;
  const int x0 = static_cast<int>(std::floor(bounds.left() / kTileSize));
  const int x1 = static_cast<int>(std::ceil(bounds.right() / kTileSize)) - 1;
  const int y0 = static_cast<int>(std::floor(bounds.top() / kTileSize));
  const int y1 = static_cast<int>(std::ceil(bounds.bottom() / kTileSize)) - 1;
  // A tile that only touches the view along an edge is not in view.
  auto tileRect = [](int x, int y) {
    return QRectF(x * kTileSize, y * kTileSize, kTileSize, kTileSize).adjusted(1e-3, 1e-3, -1e-3, -1e-3);
  };
  // Visible tiles first; when turned, the corners of the bounding box are not.
  QSet<TileKey> wanted;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x)
      if (view.intersects(QPolygonF(tileRect(x, y))))
        wanted.insert({z, x, y});
  if (ring > 0) {
    const QSet<TileKey> visible = wanted;
    for (const TileKey &k : visible)
      for (int dy = -ring; dy <= ring; ++dy)
        for (int dx = -ring; dx <= ring; ++dx)
          wanted.insert({z, k.x + dx, k.y + dy});
  }
  QList<TileKey> keys;
  for (const TileKey &k : wanted)
    if (k.y >= 0 && k.y < n)
      keys.push_back(k);
  auto distance = [&](const TileKey &k) {
    return QLineF(centre, QPointF((k.x + 0.5) * kTileSize, (k.y + 0.5) * kTileSize)).length();
  };
  std::sort(keys.begin(), keys.end(), [&](const TileKey &a, const TileKey &b) {
    const double da = distance(a), db = distance(b);
    return da != db ? da < db : std::tie(a.y, a.x) < std::tie(b.y, b.x);
  });
  return keys;
}

} // namespace varnel::map
