#include "ui/map/TileLoader.h"

#include "BuildConfig.h"

#include <QImage>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSet>
#include <QStandardPaths>

#include <utility>

namespace varnel::map {

namespace {

// A failed tile is asked for again after this long (the network may be back).
constexpr qint64 kRetryAfterMs = 60'000;
// Decoded tiles kept in memory: a few screens' worth.
constexpr int kMemoryTiles = 256;
constexpr qint64 kDiskCacheBytes = qint64{100} * 1024 * 1024;

} // namespace

TileLoader::TileLoader(QString urlTemplate, QString cacheDirectory, QObject *parent)
    : QObject(parent), m_urlTemplate(std::move(urlTemplate)), m_tiles(kMemoryTiles) {
  m_clock.start();
  if (!cacheDirectory.isEmpty()) {
    auto *cache = new QNetworkDiskCache(&m_network);
    cache->setCacheDirectory(cacheDirectory);
    cache->setMaximumCacheSize(kDiskCacheBytes);
    m_network.setCache(cache);
  }
  connect(&m_network, &QNetworkAccessManager::finished, this, &TileLoader::finished);
}

TileLoader::TileLoader(QObject *parent)
    : TileLoader(QString::fromUtf8(build::mapTileUrl), defaultCacheDirectory(), parent) {}

TileLoader::~TileLoader() {
  // Replies still running finish while m_network goes away, after the
  // members finished() uses: stop listening first.
  m_network.disconnect(this);
  for (QNetworkReply *reply : std::exchange(m_pending, {}))
    reply->abort();
}

QString TileLoader::defaultCacheDirectory() {
  return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/tiles");
}

QByteArray TileLoader::userAgent() {
  return QByteArrayLiteral("Varnel/") + build::version + QByteArrayLiteral(" (Linux desktop; Qt ") + qVersion() +
         QByteArrayLiteral(")");
}

QUrl TileLoader::urlFor(const TileKey &key) const {
  const TileKey k = key.wrapped();
  QString url = m_urlTemplate;
  url.replace(QStringLiteral("{z}"), QString::number(k.z))
      .replace(QStringLiteral("{x}"), QString::number(k.x))
      .replace(QStringLiteral("{y}"), QString::number(k.y));
  return QUrl(url);
}

const QPixmap *TileLoader::tile(const TileKey &key) const { return m_tiles.object(key.wrapped()); }

void TileLoader::setWanted(const QList<TileKey> &keys) {
  QSet<TileKey> wanted;
  QList<TileKey> order;
  for (const TileKey &key : keys) {
    const TileKey k = key.wrapped();
    if (!wanted.contains(k)) {
      wanted.insert(k);
      order.push_back(k);
    }
  }
  // Cancel first, so the freed connections go to the tiles now in view.
  for (auto it = m_pending.begin(); it != m_pending.end();) {
    if (wanted.contains(it.key())) {
      ++it;
      continue;
    }
    QNetworkReply *reply = it.value();
    it = m_pending.erase(it);
    reply->abort(); // finished() finds it no longer pending and drops it
  }
  for (const TileKey &k : order) {
    if (m_tiles.contains(k) || m_pending.contains(k))
      continue;
    const auto failed = m_failed.constFind(k);
    if (failed != m_failed.cend() && m_clock.elapsed() - *failed < kRetryAfterMs)
      continue;
    start(k);
  }
}

void TileLoader::start(const TileKey &key) {
  QNetworkRequest request(urlFor(key));
  request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferCache);
  request.setAttribute(QNetworkRequest::User, QVariant::fromValue(QList<int>{key.z, key.x, key.y}));
  request.setTransferTimeout(30'000);
  QNetworkReply *reply = m_network.get(request);
  m_pending.insert(key, reply);
}

void TileLoader::finished(QNetworkReply *reply) {
  reply->deleteLater();
  const QList<int> parts = reply->request().attribute(QNetworkRequest::User).value<QList<int>>();
  if (parts.size() != 3)
    return;
  const TileKey key{parts[0], parts[1], parts[2]};
  const auto it = m_pending.constFind(key);
  if (it == m_pending.cend() || *it != reply)
    return; // cancelled, or replaced by a newer fetch
  m_pending.erase(it);

  // Decoded here, once, so painting only draws ready pixmaps.
  QImage image;
  if (reply->error() == QNetworkReply::NoError)
    image.loadFromData(reply->readAll());
  if (image.isNull()) {
    m_failed.insert(key, m_clock.elapsed());
  } else {
    m_failed.remove(key);
    m_tiles.insert(key, new QPixmap(QPixmap::fromImage(std::move(image))));
  }
  Q_EMIT tileFinished(key);
}

} // namespace varnel::map
