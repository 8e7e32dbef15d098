#pragma once
// Fetches and decodes raster map tiles, keeps the decoded ones in memory and
// the downloaded ones on disk, and fetches only the tiles the view wants.

#include "ui/map/TileMapGeometry.h"

#include <QCache>
#include <QElapsedTimer>
#include <QHash>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QUrl>

class QNetworkReply;

namespace varnel::map {

class TileLoader : public QObject {
  Q_OBJECT

public:
  // `urlTemplate` holds {z}, {x} and {y}; `cacheDirectory` keeps the
  // downloaded tiles between runs.
  explicit TileLoader(QString urlTemplate, QString cacheDirectory, QObject *parent = nullptr);
  // The build's tile server, cached in the user's cache folder.
  explicit TileLoader(QObject *parent = nullptr);
  ~TileLoader() override;

  static QString defaultCacheDirectory();
  // "Varnel/<version> (…)": tile servers ask clients to name themselves.
  static QByteArray userAgent();

  QUrl urlFor(const TileKey &key) const;

  // Makes `keys` (in order of priority) the tiles the view wants: fetches
  // those not yet loaded and cancels the fetches of tiles no longer wanted.
  void setWanted(const QList<TileKey> &keys);
  // The decoded tile, or null while it is missing.
  const QPixmap *tile(const TileKey &key) const;
  // True when the last attempt failed (refused, not an image, offline).
  bool hasFailed(const TileKey &key) const { return m_failed.contains(key.wrapped()); }
  int pendingCount() const { return static_cast<int>(m_pending.size()); }
  bool isPending(const TileKey &key) const { return m_pending.contains(key.wrapped()); }

Q_SIGNALS:
  // A tile arrived or failed; the view repaints.
  void tileFinished(varnel::map::TileKey key);

private:
  void start(const TileKey &key);
  void finished(QNetworkReply *reply);

  QString m_urlTemplate;
  QNetworkAccessManager m_network;
  QCache<TileKey, QPixmap> m_tiles;
  QHash<TileKey, QNetworkReply *> m_pending;
  QHash<TileKey, qint64> m_failed; // when it failed, on m_clock
  QElapsedTimer m_clock;
};

} // namespace varnel::map
