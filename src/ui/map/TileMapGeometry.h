#pragma once
// The arithmetic of a web-mercator tile map: coordinates to world pixels and
// tiles in the z/x/y scheme, the view's camera, fitting a span, and the
// lengths of the scale bar.

#include "model/LocationText.h"

#include <QHashFunctions>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

namespace varnel::map {

inline constexpr int kTileSize = 256;
inline constexpr int kMinZoom = 0;
inline constexpr int kMaxZoom = 19;
// Web mercator stops here: the world is a square.
inline constexpr double kMaxLatitude = 85.0511287798066;

// One tile of the z/x/y scheme. In a view, x may lie outside 0 … 2^z - 1
// where the world repeats east and west; wrapped() names the tile to fetch.
struct TileKey {
  int z = 0;
  int x = 0;
  int y = 0;
  TileKey wrapped() const;
  friend bool operator==(const TileKey &, const TileKey &) = default;
};
inline size_t qHash(const TileKey &k, size_t seed = 0) { return qHashMulti(seed, k.z, k.x, k.y); }

// Side of the world square in pixels at a (fractional) zoom.
double worldSize(double zoom);
// The pixel of a coordinate in the world square at a zoom; latitude clamped
// to the mercator range.
QPointF worldPixel(const Coordinate &c, double zoom);
// The inverse of worldPixel; x outside the square wraps around.
Coordinate coordinateAt(const QPointF &worldPixel, double zoom);
// The tile that holds a coordinate at an integer zoom.
TileKey tileAt(const Coordinate &c, int zoom);

// Ground metres per screen pixel at a latitude and zoom.
double metersPerPixel(double latitude, double zoom);

// The zoom at which a span of degrees around a centre fits in the view,
// both the latitude span and the longitude span; within kMinZoom … kMaxZoom.
double zoomForSpan(const Coordinate &center, double latitudeSpan, double longitudeSpan, const QSizeF &viewSize);

// A scale bar: the longest round length (1, 2 or 5 times a power of ten
// metres) that fits in maxPixels.
struct ScaleBar {
  double meters = 0;
  double pixels = 0;
  QString label; // "500 m", "2 km"
};
ScaleBar scaleBarFor(double metersPerPixel, double maxPixels);

// The camera of a map view: what is at the centre, the zoom, and the bearing
// (degrees clockwise from north that the top of the view faces).
struct Viewport {
  Coordinate center;
  double zoom = 0;
  double bearing = 0;
  QSizeF size;

  // The zoom whose tiles are drawn: the nearest integer one.
  int tileZoom() const;
  QPointF toScreen(const Coordinate &c) const;
  Coordinate toCoordinate(const QPointF &screen) const;
  // The content moved by `delta` screen pixels, as a drag does.
  Viewport panned(const QPointF &delta) const;
  // A new zoom that keeps the coordinate under `anchor` in place.
  Viewport zoomedAround(const QPointF &anchor, double newZoom) const;
  // The tiles at tileZoom() that cover the view, plus `ring` tiles around
  // them, nearest to the centre first. Rows beyond the poles are left out.
  QList<TileKey> tiles(int ring) const;
};

} // namespace varnel::map
