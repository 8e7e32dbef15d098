#include "ui/map/DemoTileServer.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpSocket>

#include <cmath>
#include <utility>

namespace varnel::map {

DemoTileServer::DemoTileServer(Style style, QObject *parent) : QObject(parent), m_style(style) {
  connect(&m_server, &QTcpServer::newConnection, this, [this] {
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
      m_open.insert(socket);
      connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
      connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        m_open.remove(socket);
        socket->deleteLater();
      });
    }
  });
}

DemoTileServer::~DemoTileServer() {
  // The sockets are children of m_server, which goes after the members
  // their handlers use: close them while those are still there.
  m_server.close();
  for (QTcpSocket *socket : std::exchange(m_open, {})) {
    socket->disconnect(this);
    delete socket;
  }
}

bool DemoTileServer::start() { return m_server.listen(QHostAddress::LocalHost, 0); }

QString DemoTileServer::urlTemplate() const {
  return QStringLiteral("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(m_server.serverPort());
}

QSet<TileKey> DemoTileServer::openTiles() const {
  QSet<TileKey> keys;
  for (QTcpSocket *socket : m_open) {
    const QList<int> k = socket->property("tile").value<QList<int>>();
    if (k.size() == 3)
      keys.insert({k[0], k[1], k[2]});
  }
  return keys;
}

void DemoTileServer::serve(QTcpSocket *socket) {
  // One request per connection: read the head, answer, close.
  if (socket->property("answered").toBool())
    return;
  QByteArray head = socket->property("head").toByteArray() + socket->readAll();
  socket->setProperty("head", head);
  const qsizetype end = head.indexOf("\r\n\r\n");
  if (end < 0)
    return;
  socket->setProperty("answered", true);

  static const QRegularExpression line(QStringLiteral(R"(^GET /(\d+)/(\d+)/(\d+)\.png HTTP/1\.[01]\r\n)"));
  const QRegularExpressionMatch m = line.match(QString::fromLatin1(head.left(end + 2)));
  for (const QByteArray &header : head.left(end).split('\n'))
    if (header.toLower().startsWith("user-agent:"))
      m_lastUserAgent = header.mid(11).trimmed();

  QByteArray status = "404 Not Found";
  QByteArray body;
  if (m.hasMatch()) {
    const TileKey key{m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()};
    m_requested.push_back(key);
    socket->setProperty("tile", QVariant::fromValue(QList<int>{key.z, key.x, key.y}));
    Q_EMIT tileRequested(key);
    if (m_holding)
      return;
    if (!m_refused || !m_refused(key)) {
      status = "200 OK";
      body = renderTile(key, m_style);
    }
  }
  QByteArray reply = "HTTP/1.1 " + status + "\r\nConnection: close\r\nCache-Control: no-store\r\n";
  reply += body.isEmpty() ? QByteArray("Content-Type: text/plain\r\n") : QByteArray("Content-Type: image/png\r\n");
  reply += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
  socket->write(reply);
  socket->disconnectFromHost();
}

QByteArray DemoTileServer::renderTile(const TileKey &key, Style style) {
  QImage image(kTileSize, kTileSize, QImage::Format_RGB32);
  if (style == Style::Solid) {
    image.fill(solidColor());
  } else {
    image.fill(QColor(0xf2, 0xef, 0xe9));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Streets on a world-wide grid, so they run on across tile edges.
    const double step = 64;
    const double ox = -std::fmod(key.x * double(kTileSize), step * 3);
    const double oy = -std::fmod(key.y * double(kTileSize), step * 2);
    // Blocks between the streets, some of them parks; chosen per block of
    // the world, so a park spanning two tiles is one park.
    for (double y = oy; y < kTileSize; y += step * 2)
      for (double x = ox; x < kTileSize; x += step * 3) {
        const auto bx = static_cast<int>(std::lround((key.x * double(kTileSize) + x) / (step * 3)));
        const auto by = static_cast<int>(std::lround((key.y * double(kTileSize) + y) / (step * 2)));
        QRandomGenerator rng(static_cast<quint32>(qHashMulti(0, key.z, bx, by)));
        if (rng.bounded(5) == 0)
          p.fillRect(QRectF(x + 8, y + 8, step * 3 - 16, step * 2 - 16), QColor(0xc8, 0xe6, 0xb4));
        else
          p.fillRect(QRectF(x + 10, y + 10, step * 3 - 20, step * 2 - 20), QColor(0xe0, 0xda, 0xd2));
      }
    for (const QColor &c : {QColor(0xcf, 0xc8, 0xbd), QColor(Qt::white)}) {
      p.setPen(QPen(c, c == Qt::white ? 5 : 8));
      for (double x = ox; x < kTileSize + 1; x += step * 3)
        p.drawLine(QPointF(x, 0), QPointF(x, kTileSize));
      for (double y = oy; y < kTileSize + 1; y += step * 2)
        p.drawLine(QPointF(0, y), QPointF(kTileSize, y));
    }
  }
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return png;
}

} // namespace varnel::map
