// Times the visit report: one report with four 2000 x 1500 JPEG photos and a
// long report text, rendered and written several times.
//
//   report_bench [--runs N] [--out FILE]
//
// Prints the time of every run and the median in ms; --out keeps the last
// report at FILE.

#include "reports/AtendimentoExternoPDFService.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace varnel;

namespace {

// A picture with the texture of a photo: smooth colour fields, some edges and
// fine grain, so that JPEG sizes and decoding times are realistic.
QByteArray photoJpeg(int width, int height, quint32 seed) {
  QImage image(width, height, QImage::Format_RGB32);
  QRandomGenerator random(seed);
  const double phase = random.bounded(6.28);
  for (int y = 0; y < height; ++y) {
    auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const double u = double(x) / width;
      const double v = double(y) / height;
      const int grain = int(random.bounded(24)) - 12;
      const int r = int(120 + 80 * std::sin(6 * u + phase) * std::cos(4 * v)) + grain;
      const int g = int(140 + 60 * std::sin(9 * v + 2 * u + phase)) + grain;
      const int b = int(100 + 70 * std::cos(5 * (u + v) + phase)) + grain;
      line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
    }
  }
  QPainter painter(&image);
  for (int i = 0; i < 40; ++i) {
    painter.setBrush(QColor::fromHsv(int(random.bounded(360)), 120, 200));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(random.bounded(width), random.bounded(height)), random.bounded(width / 8.0) + 20,
                        random.bounded(height / 8.0) + 20);
  }
  painter.end();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPEG", 90);
  return bytes;
}

QString longReport() {
  QStringList paragraphs;
  for (int i = 1; i <= 30; ++i)
    paragraphs << QStringLiteral("%1. Visita técnica ao rebanho leiteiro: avaliação do escore corporal, revisão do "
                                 "manejo nutricional e da ordenha, conferência do calendário de vacinação e "
                                 "orientação sobre a higiene das instalações e o descarte de medicamentos.")
                      .arg(i);
  return paragraphs.join(u'\n');
}

} // namespace

int main(int argc, char **argv) {
  // Drawing a PDF needs no screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  int runs = 10;
  QString out;
  const QStringList args = app.arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
      runs = std::max(1, args[++i].toInt());
    else if (args[i] == QLatin1String("--out") && i + 1 < args.size())
      out = args[++i];
    else {
      std::fprintf(stderr, "usage: report_bench [--runs N] [--out FILE]\n");
      return 2;
    }
  }

  AtendimentoExternoPDFPayload payload;
  payload.atendimento = AtendimentoExterno::create(QUuid::createUuid(), QUuid::createUuid());
  payload.atendimento.dataRelatorio = QDateTime::currentDateTime();
  payload.atendimento.relatorio = longReport();
  payload.atendimento.imagensObservacoes = QStringLiteral("Fotos do curral, do bebedouro e da sala de ordenha.");
  Cliente cliente;
  cliente.id = QUuid::createUuid();
  cliente.nomeRazao = QStringLiteral("Agropecuária Boa Vista Ltda.");
  cliente.nomeFantasia = QStringLiteral("Fazenda Boa Vista");
  cliente.cnpj = QStringLiteral("12345678000195");
  cliente.endereco = QStringLiteral("Estrada Municipal, km 12");
  cliente.cidade = QStringLiteral("Castro");
  cliente.uf = QStringLiteral("PR");
  payload.cliente = cliente;
  payload.assinatura = QStringLiteral("Dra. Ana Souza - CRMV-PR 12345");

  std::vector<QByteArray> jpegs;
  for (quint32 i = 0; i < 4; ++i)
    jpegs.push_back(photoJpeg(2000, 1500, i + 1));
  QElapsedTimer decodeTimer;
  decodeTimer.start();
  for (const QByteArray &jpeg : jpegs)
    payload.imagens.append(QImage::fromData(jpeg, "JPEG"));
  const double decodeMs = double(decodeTimer.nsecsElapsed()) / 1e6;

  AtendimentoExternoPDFService service;
  QString path = service.generate(payload); // warm-up: fonts and caches
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    QElapsedTimer timer;
    timer.start();
    path = service.generate(payload);
    times.push_back(double(timer.nsecsElapsed()) / 1e6);
    std::printf("run %d: %.1f ms\n", i + 1, times.back());
  }
  std::vector<double> sorted = times;
  std::sort(sorted.begin(), sorted.end());
  const double median = sorted[sorted.size() / 2];
  double mean = 0;
  for (const double t : times)
    mean += t / double(times.size());
  const qint64 size = QFileInfo(path).size();
  std::printf("decoding the four JPEG photos (caller side, once): %.1f ms\n", decodeMs);
  std::printf("report: %d runs, median %.1f ms, mean %.1f ms, min %.1f ms, max %.1f ms per report; %lld bytes\n", runs,
              median, mean, sorted.front(), sorted.back(), static_cast<long long>(size));

  if (!out.isEmpty()) {
    QFile::remove(out);
    if (!QFile::copy(path, out)) {
      std::fprintf(stderr, "could not write %s\n", qPrintable(out));
      return 1;
    }
    std::printf("kept the last report at %s\n", qPrintable(out));
  }
  return 0;
}
