#pragma once
// A map of raster tiles showing one position with a titled marker: drag or
// arrow keys to pan, wheel, pinch, +/- or double-click to zoom, Ctrl-drag to
// turn, a compass (click: north up again), a scale bar and the tile source's
// attribution. Without tiles it still shows a neutral grid and the marker.

#include "ui/map/TileLoader.h"
#include "ui/map/TileMapGeometry.h"

#include <QWidget>

#include <optional>

namespace varnel::map {

class TileMapView : public QWidget {
  Q_OBJECT

public:
  // Tiles from the build's tile server.
  explicit TileMapView(QWidget *parent = nullptr);
  // Tiles from `loader` (not taken over; must outlive the view).
  explicit TileMapView(TileLoader *loader, QWidget *parent = nullptr);

  // Centres the map on `c`, spanning 0.01 degree each way, with one marker
  // titled `title` there.
  void showPosition(const Coordinate &c, const QString &title = QStringLiteral("Atendimento"));

  const Viewport &viewport() const { return m_viewport; }
  void setViewport(const Viewport &viewport);
  std::optional<Coordinate> marker() const { return m_marker; }
  QString markerTitle() const { return m_markerTitle; }
  TileLoader *loader() const { return m_loader; }

  static QString attribution() { return QStringLiteral("© OpenStreetMap contributors"); }
  // Where the compass sits; clicking it turns north up.
  QRectF compassRect() const;

  QSize sizeHint() const override { return {480, 320}; }

Q_SIGNALS:
  void viewportChanged();

protected:
  bool event(QEvent *event) override;
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

private:
  void requestTiles();
  void zoomBy(double steps, const QPointF &anchor);
  QPointF centre() const { return QPointF(width() / 2.0, height() / 2.0); }
  void paintTiles(class QPainter &p);
  void paintMarker(class QPainter &p);
  void paintCompass(class QPainter &p);
  void paintScaleBar(class QPainter &p);
  void paintAttribution(class QPainter &p);

  TileLoader *m_loader;
  Viewport m_viewport;
  std::optional<Coordinate> m_marker;
  QString m_markerTitle;
  // Refit the span on resizes until the user moves the map.
  bool m_fitOnResize = false;

  enum class Drag { None, Pan, Rotate };
  Drag m_drag = Drag::None;
  QPointF m_lastPos;
  double m_pinchStartZoom = 0;
};

} // namespace varnel::map
