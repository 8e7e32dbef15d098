// Renders the map of a demo visit position into a PNG:
//
//   varnel-map-screenshot OUTPUT.png [--offline]
//
// Tiles come from a tile server on 127.0.0.1 started here; with --offline
// there is none, and the map shows its neutral grid.

#include "ui/map/DemoTileServer.h"
#include "ui/map/TileMapView.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

using namespace varnel::map;

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments().mid(1);
  if (args.isEmpty() || args.size() > 2 || (args.size() == 2 && args[1] != QLatin1String("--offline"))) {
    QTextStream(stderr) << "usage: varnel-map-screenshot OUTPUT.png [--offline]\n";
    return 2;
  }
  const QString output = args[0];
  const bool offline = args.size() == 2;

  DemoTileServer server(DemoTileServer::Style::Streets);
  if (!server.start()) {
    QTextStream(stderr) << "varnel-map-screenshot: cannot listen on 127.0.0.1\n";
    return 1;
  }
  // Offline: a port that was free a moment ago and refuses connections now.
  QString urlTemplate = server.urlTemplate();
  if (offline) {
    DemoTileServer closed;
    closed.start();
    urlTemplate = closed.urlTemplate();
  }
  QTemporaryDir cache;
  TileLoader loader(urlTemplate, cache.path());
  TileMapView view(&loader);
  view.resize(720, 460);
  view.showPosition({-23.55052, -46.633308});
  view.show();

  // Saves once every wanted tile has arrived or failed, or after 20 s.
  const QDeadlineTimer deadline(20'000);
  QTimer poll;
  int status = 1;
  QObject::connect(&poll, &QTimer::timeout, &app, [&] {
    if (loader.pendingCount() > 0 && !deadline.hasExpired())
      return;
    poll.stop();
    if (view.grab().save(output, "PNG")) {
      status = 0;
    } else {
      QTextStream(stderr) << "varnel-map-screenshot: cannot write " << output << "\n";
    }
    QApplication::quit();
  });
  poll.start(50);
  QApplication::exec();
  return status;
}
