#pragma once
// A tiny tile server on 127.0.0.1 that draws its PNG tiles on request, for
// the map's tests and screenshots: no tile ever comes from the internet.

#include "ui/map/TileMapGeometry.h"

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QSet>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

namespace varnel::map {

class DemoTileServer : public QObject {
  Q_OBJECT

public:
  enum class Style {
    Streets, // land, streets and parks: looks like a town map
    Solid,   // one colour, for checking pixels
  };

  explicit DemoTileServer(Style style = Style::Streets, QObject *parent = nullptr);
  ~DemoTileServer() override;

  // Listens on a free port of 127.0.0.1; false when that fails.
  bool start();
  // "http://127.0.0.1:PORT/{z}/{x}/{y}.png"
  QString urlTemplate() const;

  static QColor solidColor() { return QColor(0x4f, 0x8a, 0xc9); }

  // Tiles for which this returns true get 404.
  void setRefused(std::function<bool(const TileKey &)> refused) { m_refused = std::move(refused); }
  // While holding, requests are read but never answered.
  void setHolding(bool holding) { m_holding = holding; }

  // Every tile asked for, in order, and the User-Agent of the last request.
  const QList<TileKey> &requested() const { return m_requested; }
  QByteArray lastUserAgent() const { return m_lastUserAgent; }
  int openConnections() const { return static_cast<int>(m_open.size()); }
  // The tiles whose connections are still open (held or not yet closed).
  QSet<TileKey> openTiles() const;

  static QByteArray renderTile(const TileKey &key, Style style);

Q_SIGNALS:
  void tileRequested(varnel::map::TileKey key);

private:
  void serve(QTcpSocket *socket);

  Style m_style;
  QTcpServer m_server;
  std::function<bool(const TileKey &)> m_refused;
  bool m_holding = false;
  QList<TileKey> m_requested;
  QByteArray m_lastUserAgent;
  QSet<QTcpSocket *> m_open;
};

} // namespace varnel::map
