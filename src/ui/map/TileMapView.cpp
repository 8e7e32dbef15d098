#include "ui/map/TileMapView.h"

#include <QGestureEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPinchGesture>
#include <QWheelEvent>

#include <cmath>
#include <numbers>

namespace varnel::map {

namespace {

constexpr double kSpanDegrees = 0.01;
constexpr double kKeyPanPixels = 64;
constexpr double kCompassSize = 40;
constexpr double kMargin = 12;
constexpr double kScaleBarMaxWidth = 110;

const QColor kBackground(0xe9, 0xe5, 0xdc);
const QColor kGridLine(0xd3, 0xcd, 0xc1);
const QColor kMarkerRed(0xe5, 0x39, 0x35);

double angleOf(const QPointF &v) { return std::atan2(v.y(), v.x()) * 180.0 / std::numbers::pi; }

// Text with a light halo, readable over any tile.
void drawHaloText(QPainter &p, const QRectF &rect, int flags, const QString &text, const QColor &color) {
  QPainterPath path;
  const QFontMetricsF fm(p.font());
  const QRectF bounds = fm.boundingRect(rect, flags, text);
  path.addText(bounds.left(), bounds.top() + fm.ascent(), p.font(), text);
  p.save();
  p.setPen(QPen(QColor(255, 255, 255, 230), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  p.setPen(Qt::NoPen);
  p.setBrush(color);
  p.drawPath(path);
  p.restore();
}

} // namespace

TileMapView::TileMapView(QWidget *parent) : TileMapView(new TileLoader(), parent) { m_loader->setParent(this); }

TileMapView::TileMapView(TileLoader *loader, QWidget *parent) : QWidget(parent), m_loader(loader) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_AcceptTouchEvents);
  grabGesture(Qt::PinchGesture);
  setCursor(Qt::OpenHandCursor);
  m_viewport.size = size();
  connect(m_loader, &TileLoader::tileFinished, this, [this] { update(); });
}

void TileMapView::showPosition(const Coordinate &c, const QString &title) {
  m_marker = c;
  m_markerTitle = title;
  m_fitOnResize = true;
  Viewport v = m_viewport;
  v.size = size();
  v.center = c;
  v.bearing = 0;
  v.zoom = zoomForSpan(c, kSpanDegrees, kSpanDegrees, v.size);
  setViewport(v);
}

void TileMapView::setViewport(const Viewport &viewport) {
  m_viewport = viewport;
  m_viewport.size = size();
  update();
  requestTiles();
  Q_EMIT viewportChanged();
}

void TileMapView::requestTiles() {
  if (m_viewport.size.isEmpty())
    return;
  m_loader->setWanted(m_viewport.tiles(1));
}

void TileMapView::zoomBy(double steps, const QPointF &anchor) {
  m_fitOnResize = false;
  setViewport(m_viewport.zoomedAround(anchor, m_viewport.zoom + steps));
}

QRectF TileMapView::compassRect() const {
  const double x = layoutDirection() == Qt::RightToLeft ? kMargin : width() - kMargin - kCompassSize;
  return {x, kMargin, kCompassSize, kCompassSize};
}

void TileMapView::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  Viewport v = m_viewport;
  v.size = size();
  // Until the user moves the map, it keeps showing the span it was given.
  if (m_fitOnResize && m_marker)
    v.zoom = zoomForSpan(v.center, kSpanDegrees, kSpanDegrees, v.size);
  setViewport(v);
}

bool TileMapView::event(QEvent *event) {
  switch (event->type()) {
  case QEvent::Gesture: {
    auto *gestures = static_cast<QGestureEvent *>(event);
    if (auto *pinch = static_cast<QPinchGesture *>(gestures->gesture(Qt::PinchGesture))) {
      if (pinch->state() == Qt::GestureStarted)
        m_pinchStartZoom = m_viewport.zoom;
      const QPointF anchor = mapFromGlobal(pinch->centerPoint());
      m_fitOnResize = false;
      Viewport v = m_viewport.zoomedAround(anchor, m_pinchStartZoom + std::log2(pinch->totalScaleFactor()));
      v.bearing -= pinch->rotationAngle() - pinch->lastRotationAngle();
      setViewport(v);
      gestures->accept(pinch);
      return true;
    }
    break;
  }
  case QEvent::NativeGesture: {
    // Touchpad pinch and twist, as the platform reports them.
    auto *gesture = static_cast<QNativeGestureEvent *>(event);
    if (gesture->gestureType() == Qt::ZoomNativeGesture) {
      zoomBy(std::log2(1 + gesture->value()), gesture->position());
      return true;
    }
    if (gesture->gestureType() == Qt::RotateNativeGesture) {
      Viewport v = m_viewport;
      v.bearing -= gesture->value();
      setViewport(v);
      return true;
    }
    break;
  }
  default:
    break;
  }
  return QWidget::event(event);
}

void TileMapView::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton)
    return QWidget::mousePressEvent(event);
  if (compassRect().contains(event->position())) {
    Viewport v = m_viewport;
    v.bearing = 0;
    setViewport(v);
    return;
  }
  m_drag = (event->modifiers() & Qt::ControlModifier) ? Drag::Rotate : Drag::Pan;
  m_lastPos = event->position();
  setCursor(Qt::ClosedHandCursor);
}

void TileMapView::mouseMoveEvent(QMouseEvent *event) {
  const QPointF pos = event->position();
  if (m_drag == Drag::None)
    return;
  m_fitOnResize = false;
  if (m_drag == Drag::Pan) {
    setViewport(m_viewport.panned(pos - m_lastPos));
  } else {
    // The map turns with the pointer around the centre.
    Viewport v = m_viewport;
    v.bearing = std::remainder(v.bearing - (angleOf(pos - centre()) - angleOf(m_lastPos - centre())), 360.0);
    setViewport(v);
  }
  m_lastPos = pos;
}

void TileMapView::mouseReleaseEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton) {
    m_drag = Drag::None;
    setCursor(Qt::OpenHandCursor);
  }
}

void TileMapView::mouseDoubleClickEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton && !compassRect().contains(event->position()))
    zoomBy(1, event->position());
}

void TileMapView::wheelEvent(QWheelEvent *event) {
  // One notch (120) is half a zoom level; touchpads send smaller steps.
  const double steps = event->angleDelta().y() / 240.0;
  if (steps != 0)
    zoomBy(steps, event->position());
  event->accept();
}

void TileMapView::keyPressEvent(QKeyEvent *event) {
  QPointF pan;
  switch (event->key()) {
  case Qt::Key_Left:
    pan = {kKeyPanPixels, 0};
    break;
  case Qt::Key_Right:
    pan = {-kKeyPanPixels, 0};
    break;
  case Qt::Key_Up:
    pan = {0, kKeyPanPixels};
    break;
  case Qt::Key_Down:
    pan = {0, -kKeyPanPixels};
    break;
  case Qt::Key_Plus:
  case Qt::Key_Equal:
    zoomBy(1, centre());
    return;
  case Qt::Key_Minus:
    zoomBy(-1, centre());
    return;
  default:
    return QWidget::keyPressEvent(event);
  }
  m_fitOnResize = false;
  setViewport(m_viewport.panned(pan));
}

void TileMapView::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.fillRect(rect(), kBackground);
  p.setRenderHint(QPainter::Antialiasing);
  paintTiles(p);
  paintMarker(p);
  paintScaleBar(p);
  paintCompass(p);
  paintAttribution(p);
}

void TileMapView::paintTiles(QPainter &p) {
  const int z = m_viewport.tileZoom();
  const double scale = std::exp2(m_viewport.zoom - z);
  p.save();
  p.translate(centre());
  p.rotate(-m_viewport.bearing);
  p.scale(scale, scale);
  p.translate(-worldPixel(m_viewport.center, z));
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  QPen grid(kGridLine, 1);
  grid.setCosmetic(true);
  for (const TileKey &key : m_viewport.tiles(0)) {
    const QRectF r(key.x * kTileSize, key.y * kTileSize, kTileSize, kTileSize);
    if (const QPixmap *tile = m_loader->tile(key)) {
      // A hair larger, so scaled neighbours leave no seam between them.
      p.drawPixmap(r.adjusted(0, 0, 0.5 / scale, 0.5 / scale), *tile, QRectF(tile->rect()));
      continue;
    }
    // No tile (yet, or refused, or offline): the neutral grid.
    p.setPen(grid);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    for (int i = 1; i < 4; ++i) {
      const double d = i * kTileSize / 4.0;
      p.drawLine(QPointF(r.left() + d, r.top()), QPointF(r.left() + d, r.bottom()));
      p.drawLine(QPointF(r.left(), r.top() + d), QPointF(r.right(), r.top() + d));
    }
  }
  p.restore();
}

void TileMapView::paintMarker(QPainter &p) {
  if (!m_marker)
    return;
  const QPointF tip = m_viewport.toScreen(*m_marker);
  // A balloon whose point rests on the position.
  constexpr double radius = 13;
  const QPointF head = tip - QPointF(0, 28);
  QPainterPath balloon;
  balloon.addEllipse(head, radius, radius);
  QPainterPath point;
  point.moveTo(tip);
  point.lineTo(head + QPointF(-radius * 0.7, radius * 0.7));
  point.lineTo(head + QPointF(radius * 0.7, radius * 0.7));
  point.closeSubpath();
  balloon = balloon.united(point);
  p.save();
  p.setPen(QPen(QColor(0, 0, 0, 60), 3));
  p.drawPath(balloon.translated(0, 1));
  p.setPen(QPen(Qt::white, 1.5));
  p.setBrush(kMarkerRed);
  p.drawPath(balloon);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(head, 4.5, 4.5);
  QFont font = p.font();
  font.setBold(true);
  p.setFont(font);
  drawHaloText(p, QRectF(tip.x() - 100, tip.y() + 4, 200, 30), Qt::AlignHCenter | Qt::AlignTop, m_markerTitle,
               QColor(0x20, 0x20, 0x20));
  p.restore();
}

void TileMapView::paintCompass(QPainter &p) {
  const QRectF r = compassRect();
  p.save();
  p.setPen(QPen(QColor(0, 0, 0, 50), 1));
  p.setBrush(QColor(255, 255, 255, 235));
  p.drawEllipse(r);
  p.translate(r.center());
  p.rotate(-m_viewport.bearing);
  const double len = r.height() / 2 - 8;
  QPolygonF north{{-5, 0}, {0, -len}, {5, 0}};
  QPolygonF south{{-5, 0}, {0, len}, {5, 0}};
  p.setPen(Qt::NoPen);
  p.setBrush(kMarkerRed);
  p.drawPolygon(north);
  p.setBrush(QColor(0x9e, 0x9e, 0x9e));
  p.drawPolygon(south);
  QFont font = p.font();
  font.setPixelSize(9);
  font.setBold(true);
  p.setFont(font);
  p.setPen(QColor(0x30, 0x30, 0x30));
  p.drawText(QRectF(-8, -r.height() / 2 - 1, 16, 10), Qt::AlignCenter, QStringLiteral("N"));
  p.restore();
}

void TileMapView::paintScaleBar(QPainter &p) {
  const ScaleBar bar = scaleBarFor(metersPerPixel(m_viewport.center.latitude, m_viewport.zoom), kScaleBarMaxWidth);
  if (bar.pixels <= 0)
    return;
  const bool rtl = layoutDirection() == Qt::RightToLeft;
  const double left = rtl ? width() - kMargin - bar.pixels : kMargin;
  const double baseline = kMargin + 22;
  p.save();
  QFont font = p.font();
  font.setPixelSize(11);
  p.setFont(font);
  drawHaloText(p, QRectF(left, kMargin, bar.pixels + 60, 16), (rtl ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop,
               bar.label, QColor(0x30, 0x30, 0x30));
  QPainterPath ticks;
  ticks.moveTo(left, baseline - 5);
  ticks.lineTo(left, baseline);
  ticks.lineTo(left + bar.pixels, baseline);
  ticks.lineTo(left + bar.pixels, baseline - 5);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.drawPath(ticks);
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.drawPath(ticks);
  p.restore();
}

void TileMapView::paintAttribution(QPainter &p) {
  p.save();
  QFont font = p.font();
  font.setPixelSize(11);
  p.setFont(font);
  const QFontMetricsF fm(font);
  const QString text = attribution();
  const QSizeF box(fm.horizontalAdvance(text) + 10, fm.height() + 4);
  const bool rtl = layoutDirection() == Qt::RightToLeft;
  const QRectF r(QPointF(rtl ? 0 : width() - box.width(), height() - box.height()), box);
  p.fillRect(r, QColor(255, 255, 255, 200));
  p.setPen(QColor(0x33, 0x33, 0x33));
  p.drawText(r, Qt::AlignCenter, text);
  p.restore();
}

} // namespace varnel::map
