// Renders the dashboard into PNGs from a back-end played in memory:
//
//   varnel-dashboard-screenshot OUTPUT_DIR
//
// Writes dashboard-empty.png (no visits), dashboard-error.png (the visit
// list fails) and dashboard-sample.png (twelve responsibles, one long name,
// one unknown identifier), each also as -dark.png in a dark palette.

#include "backend/BackendClient.h"
#include "base/Errors.h"
#include "base/Tasks.h"
#include "dashboard/DashboardView.h"
#include "dashboard/DashboardViewModel.h"

#include <QApplication>
#include <QCoroTimer>
#include <QDir>
#include <QStyle>
#include <QStyleFactory>
#include <QTextStream>

#include <nlohmann/json.hpp>

using namespace varnel;

namespace {

enum class Scene { Empty, Failed, Sample };

class PlayedBackend : public HttpTransport {
public:
  explicit PlayedBackend(Scene scene) : m_scene(scene) {}

  QCoro::Task<HttpResponse> send(HttpRequest request) override {
    const bool visits = request.url.contains("/atendimento_externo");
    if (m_scene == Scene::Failed && visits)
      throw TransportError(QStringLiteral("Connection refused"));
    if (m_scene != Scene::Sample)
      co_return HttpResponse{200, {}, "[]"};
    co_return HttpResponse{200, {}, visits ? visitRows() : responsibleRows()};
  }

private:
  static QString personId(int i) {
    return QStringLiteral("00000000-0000-4000-8000-%1").arg(i, 12, 10, QLatin1Char('0'));
  }

  static QStringList names() {
    return {QStringLiteral("Ana Beatriz Souza"),
            QStringLiteral("bruno Lima"),
            QStringLiteral("Carla Mendes"),
            QStringLiteral("Diego Ferreira"),
            QStringLiteral("Eduarda Rocha"),
            QStringLiteral("Fábio Nunes"),
            QStringLiteral("Gabriela Martins de Albuquerque Cavalcanti Figueiredo"),
            QStringLiteral("Heitor Dias"),
            QStringLiteral("Isabela Costa"),
            QStringLiteral("João Pedro Alves"),
            QStringLiteral("Karina Lopes")};
  }

  static QByteArray responsibleRows() {
    nlohmann::json rows = nlohmann::json::array();
    const QStringList all = names();
    for (int i = 0; i < all.size(); ++i)
      rows.push_back({{"id", personId(i).toStdString()}, {"nome", all[i].toStdString()}});
    return QByteArray::fromStdString(rows.dump());
  }

  static QByteArray visitRows() {
    // Counts per responsible; the last entry is an identifier nobody has.
    const QList<int> counts{42, 37, 37, 21, 18, 12, 9, 7, 4, 2, 1, 3};
    nlohmann::json rows = nlohmann::json::array();
    int n = 0;
    for (int person = 0; person < counts.size(); ++person) {
      for (int k = 0; k < counts[person]; ++k, ++n) {
        rows.push_back(
            {{"id", QStringLiteral("10000000-0000-4000-8000-%1").arg(n, 12, 10, QLatin1Char('0')).toStdString()},
             {"cliente_id", "20000000-0000-4000-8000-000000000001"},
             {"responsavel_id", personId(person == 11 ? 99 : person).toStdString()},
             {"data_visita", "2025-03-07T14:05:09.250Z"}});
      }
    }
    return QByteArray::fromStdString(rows.dump());
  }

  Scene m_scene;
};

QPalette darkPalette() {
  QPalette p;
  p.setColor(QPalette::Window, QColor(0x1f, 0x1f, 0x22));
  p.setColor(QPalette::WindowText, QColor(0xe8, 0xe8, 0xea));
  p.setColor(QPalette::Base, QColor(0x17, 0x17, 0x19));
  p.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x2a));
  p.setColor(QPalette::Text, QColor(0xe8, 0xe8, 0xea));
  p.setColor(QPalette::Button, QColor(0x2c, 0x2c, 0x30));
  p.setColor(QPalette::ButtonText, QColor(0xe8, 0xe8, 0xea));
  p.setColor(QPalette::ToolTipBase, QColor(0x2c, 0x2c, 0x30));
  p.setColor(QPalette::ToolTipText, QColor(0xe8, 0xe8, 0xea));
  p.setColor(QPalette::PlaceholderText, QColor(0x8e, 0x8e, 0x93));
  p.setColor(QPalette::Highlight, QColor(0x0a, 0x84, 0xff));
  return p;
}

// Shows the dashboard of each scene and saves it once its load has ended.
QCoro::Task<int> renderAll(QDir out) {
  using namespace std::chrono_literals;
  int failures = 0;
  const std::pair<Scene, const char *> scenes[] = {
      {Scene::Empty, "dashboard-empty"}, {Scene::Failed, "dashboard-error"}, {Scene::Sample, "dashboard-sample"}};
  for (const auto &[scene, name] : scenes) {
    for (const bool dark : {false, true}) {
      const QString path =
          out.filePath(QString::fromLatin1(name) + (dark ? QStringLiteral("-dark.png") : QStringLiteral(".png")));
      QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
      BackendClient client(BackendConfig::make(QStringLiteral("http://127.0.0.1:54321"), QStringLiteral("anon")),
                           std::make_shared<PlayedBackend>(scene));
      DashboardView view(client);
      view.resize(1180, scene == Scene::Sample ? 1000 : 700);
      view.show();
      for (int waited = 0; view.model().isLoading() && waited < 200; ++waited)
        co_await QCoro::sleepFor(50ms);
      co_await QCoro::sleepFor(100ms);
      if (view.grab().save(path, "PNG")) {
        QTextStream(stdout) << path << "\n";
      } else {
        QTextStream(stderr) << "varnel-dashboard-screenshot: cannot write " << path << "\n";
        ++failures;
      }
    }
  }
  co_return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  const QStringList args = QApplication::arguments().mid(1);
  if (args.size() != 1) {
    QTextStream(stderr) << "usage: varnel-dashboard-screenshot OUTPUT_DIR\n";
    return 2;
  }
  const QDir out(args[0]);
  if (!out.mkpath(QStringLiteral("."))) {
    QTextStream(stderr) << "varnel-dashboard-screenshot: cannot create " << args[0] << "\n";
    return 2;
  }
  int status = 1;
  Tasks tasks(&app);
  tasks.run(
      renderAll(out),
      [&status](int result) {
        status = result;
        QApplication::exit(result);
      },
      [](const QString &failure) {
        QTextStream(stderr) << "varnel-dashboard-screenshot: " << failure << "\n";
        QApplication::exit(1);
      });
  app.exec();
  return status;
}
